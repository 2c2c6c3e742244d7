// Loading a shared library by path and finding its entry points.
#pragma once

#include <string>

namespace platform {

// Opens the library, or returns nullptr and fills `error`. Libraries are never unloaded.
void* OpenSharedLibrary(const std::string& path, std::string* error);
void* FindSymbol(void* library, const char* name);

// The folder that holds the running executable, without a trailing separator.
std::string ExecutableDirectory();

}  // namespace platform
