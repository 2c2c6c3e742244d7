#include "platform/File.h"

#include <algorithm>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace platform {

std::string NativePath(const char* path) {
    std::string native(path);
#ifndef _WIN32
    std::replace(native.begin(), native.end(), '\\', '/');
#endif
    return native;
}

std::FILE* OpenForReading(const char* path) {
    std::FILE* file = std::fopen(NativePath(path).c_str(), "rb");
#ifndef _WIN32
    // POSIX opens a directory for reading; Windows refuses, and so do we.
    struct stat status;
    if (file && (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))) {
        std::fclose(file);
        return nullptr;
    }
#endif
    return file;
}

}  // namespace platform
