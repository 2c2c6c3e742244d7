#include "platform/SharedLibrary.h"

#include <cstdint>

#include "platform/File.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

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

namespace {

// The name for the loader's list. The load goes through /proc/self/fd/N, which a debugger
// attaching, or reading a core, resolves in its own process, where N may be a pipe it then blocks
// on for ever. The checked file's real path names the same file for everyone while it still is
// that file; otherwise the name ends in a slash, which opens nothing but a folder, so no reader
// can block on it.
std::string LoaderName(const std::string& path, int descriptor) {
    char* real = realpath(path.c_str(), nullptr);
    const std::string name = real ? real : path;
    std::free(real);
    struct stat loaded {};
    struct stat named {};
    const bool same = fstat(descriptor, &loaded) == 0 && stat(name.c_str(), &named) == 0 &&
                      loaded.st_dev == named.st_dev && loaded.st_ino == named.st_ino;
    return same ? name : name + "/";
}

struct Renaming {
    link_map* map;
    char* name;
};

// dl_iterate_phdr calls back with the loader's list locked, so no thread walking the list with
// it reads the name while it is swapped.
int SwapName(dl_phdr_info*, size_t, void* data) {
    auto* renaming = static_cast<Renaming*>(data);
    std::swap(renaming->map->l_name, renaming->name);
    return 1;
}

// Names the library in the loader's list, if it still has the descriptor's name (one loaded
// before keeps the name it has). The loader frees the name when it unloads the library, as it
// does its own, so the name is allocated as the loader's are and the one replaced is freed.
void Rename(void* library, const std::string& loadedAs, const std::string& name) {
    link_map* map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || loadedAs != map->l_name) {
        return;
    }
    Renaming renaming{map, strdup(name.c_str())};
    if (renaming.name) {
        dl_iterate_phdr(SwapName, &renaming);
        std::free(renaming.name);
    }
}

}  // namespace

// The library is opened once, without blocking, and judged on its descriptor; the loader then maps
// that very file through /proc/self/fd, so nothing put at the path in between (a FIFO would block
// the loader's open forever) is ever opened by it; the loader's list then names the file by its
// real path. A name without a folder is searched for first.
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
    Rename(library, descriptor, LoaderName(found, kept));
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
