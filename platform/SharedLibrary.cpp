#include "platform/SharedLibrary.h"

#include <cstdint>

#include "platform/File.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace platform {

namespace {

#ifdef _WIN32
constexpr char kSeparators[] = "\\/";
#else
constexpr char kSeparators[] = "/";
#endif

// A path with a folder in it names one file, which must be a regular one: loading a FIFO would
// block in open and never return. A bare name is searched for by the loader and not checked here.
bool Refused(const std::string& path, std::string* error) {
    if (path.find_first_of(kSeparators) == std::string::npos) {
        return false;
    }
    const FileCheck check = CheckFile(path.c_str(), UINT64_MAX);
    if (check.state == FileState::Regular) {
        return false;
    }
    if (error) {
        *error = check.reason;
    }
    return true;
}

}  // namespace

#ifdef _WIN32

SharedLibrary OpenSharedLibrary(const std::string& path, std::string* error) {
    if (Refused(path, error)) {
        return nullptr;
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module && error) {
        *error = "error " + std::to_string(GetLastError());
    }
    return SharedLibrary(reinterpret_cast<void*>(module));
}

void SharedLibraryCloser::operator()(void* library) const {
    FreeLibrary(static_cast<HMODULE>(library));
}

void* FindSymbol(const SharedLibrary& library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library.get()), name));
}

std::string ExecutableDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // 0 is failure and MAX_PATH a cut name: the current folder then, as elsewhere.
    if (length == 0 || length >= MAX_PATH) {
        return ".";
    }
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/"));
}

#else

SharedLibrary OpenSharedLibrary(const std::string& path, std::string* error) {
    if (Refused(path, error)) {
        return nullptr;
    }
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library && error) {
        const char* reason = dlerror();
        *error = reason ? reason : "unknown error";
    }
    return SharedLibrary(library);
}

void SharedLibraryCloser::operator()(void* library) const {
    dlclose(library);
}

void* FindSymbol(const SharedLibrary& library, const char* name) {
    return dlsym(library.get(), name);
}

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return ".";
    }
    std::string full(path, static_cast<size_t>(length));
    return full.substr(0, full.find_last_of('/'));
}

#endif

}  // namespace platform
