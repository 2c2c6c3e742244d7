// Loading a shared library by path and finding its entry points.
#pragma once

#include <memory>
#include <string>

namespace platform {

struct SharedLibraryCloser {
    void operator()(void* library) const;
#ifndef _WIN32
    // The descriptor the library was loaded from, closed with it (see OpenSharedLibrary).
    int descriptor = -1;
#endif
};

// An open library, unloaded when the handle goes. release() keeps it loaded for the rest of the
// process, for a library whose threads may outlive every owner.
using SharedLibrary = std::unique_ptr<void, SharedLibraryCloser>;

// Opens the library, or returns an empty handle and fills `error`. Never blocks: on Linux a name
// without a folder is searched for first (LibrarySearch.h), the file is opened without blocking,
// judged on the descriptor and loaded from that descriptor; on Windows a path with a folder must
// name a regular file and a bare name goes to the standard DLL search.
SharedLibrary OpenSharedLibrary(const std::string& path, std::string* error);
void* FindSymbol(const SharedLibrary& library, const char* name);

// The folder that holds the running executable, without a trailing separator.
std::string ExecutableDirectory();

}  // namespace platform
