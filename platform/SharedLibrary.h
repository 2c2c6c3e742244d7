// Loading a shared library by path and finding its entry points.
#pragma once

#include <memory>
#include <string>

namespace platform {

struct SharedLibraryCloser {
    void operator()(void* library) const;
};

// An open library, unloaded when the handle goes. release() keeps it loaded for the rest of the
// process, for a library whose threads may outlive every owner.
using SharedLibrary = std::unique_ptr<void, SharedLibraryCloser>;

// Opens the library, or returns an empty handle and fills `error`.
SharedLibrary OpenSharedLibrary(const std::string& path, std::string* error);
void* FindSymbol(const SharedLibrary& library, const char* name);

// The folder that holds the running executable, without a trailing separator.
std::string ExecutableDirectory();

}  // namespace platform
