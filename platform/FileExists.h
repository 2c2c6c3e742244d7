// Whether a path built the Windows way (with backslashes) names something on disk.
#pragma once

namespace platform {

// True for an existing file or folder.
bool FileExists(const char* path);

}  // namespace platform
