#include "platform/FileExists.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include "platform/File.h"
#endif

namespace platform {

bool FileExists(const char* path) {
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data) != FALSE;
#else
    struct stat status;
    return stat(NativePath(path).c_str(), &status) == 0;
#endif
}

}  // namespace platform
