#include "platform/SharedLibrary.h"

#include <cstdint>

#include "platform/File.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>

#include "platform/LibrarySearch.h"
#endif

namespace platform {

#ifdef _WIN32

namespace {

// A path with a folder in it names one file, which must be a regular one. A bare name is left to
// the standard DLL search, which maps nothing but image files.
bool Refused(const std::string& path, std::string* error) {
    if (path.find_first_of("\\/") == std::string::npos) {
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

// The library is opened once, without blocking, and judged on its descriptor; the loader then maps
// that very file through /proc/self/fd, so nothing put at the path in between (a FIFO would block
// the loader's open forever) is ever opened by it. A name without a folder is searched for first.
SharedLibrary OpenSharedLibrary(const std::string& path, std::string* error) {
    const std::string found = path.find('/') == std::string::npos ? FindLibrary(path) : path;
    if (found.empty()) {
        if (error) {
            *error = "not found in LD_LIBRARY_PATH or the system's library folders";
        }
        return nullptr;
    }
    FileCheck check;
    const File file = OpenForReading(found.c_str(), UINT64_MAX, &check);
    // A descriptor of its own, kept with the library: the loader hands back a library already
    // loaded under the same name, so the number, and with it the name, must not be reused for
    // another file while the library stays loaded.
    const int kept = file ? fcntl(fileno(file.get()), F_DUPFD_CLOEXEC, 0) : -1;
    if (kept < 0) {
        if (error) {
            const std::string reason = file ? "cannot be read" : check.reason;
            *error = found == path ? reason : found + " " + reason;
        }
        return nullptr;
    }
    const std::string descriptor = "/proc/self/fd/" + std::to_string(kept);
    void* library = dlopen(descriptor.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        close(kept);
        if (error) {
            // The loader names the descriptor; the user knows the file.
            const char* reason = dlerror();
            std::string text = reason ? reason : "unknown error";
            if (text.compare(0, descriptor.size() + 2, descriptor + ": ") == 0) {
                text.erase(0, descriptor.size() + 2);
            }
            *error = found == path ? text : found + ": " + text;
        }
        return nullptr;
    }
    return SharedLibrary(library, SharedLibraryCloser{kept});
}

void SharedLibraryCloser::operator()(void* library) const {
    dlclose(library);
    if (descriptor >= 0) {
        close(descriptor);
    }
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
