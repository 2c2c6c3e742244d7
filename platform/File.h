// Opening files named the Windows way (paths are built with backslashes and shown that way).
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// The path as the file system takes it: unchanged on Windows, backslashes turned into slashes
// elsewhere.
std::string NativePath(const char* path);

// Opens a regular file for reading without newline translation (mode "rb"); nullptr when it
// cannot be opened or is a directory. The caller closes it with fclose.
std::FILE* OpenForReading(const char* path);

}  // namespace platform
