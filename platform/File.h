// Opening files named the Windows way (paths are built with backslashes and shown that way), and
// refusing anything but a regular file of bounded size before a read can block or run forever.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// The path as the file system takes it: unchanged on Windows, backslashes turned into slashes
// elsewhere.
std::string NativePath(const char* path);

enum class FileState {
    Regular,     // a regular file within the size limit
    Missing,     // nothing at the path
    Directory,   // a folder
    Special,     // a FIFO, device or socket: opening or reading it may block or never end
    TooLarge,    // above the caller's limit
    Unreadable,  // exists but cannot be opened or examined
};

struct FileCheck {
    FileState state = FileState::Missing;
    // Why the file is refused, to follow its path in a message ("is a directory"); empty for Regular.
    std::string reason;
};

// Looks at `path` without opening it.
FileCheck CheckFile(const char* path, std::uint64_t maxBytes);

// Opens a regular file of at most `maxBytes` for reading without newline translation (mode "rb").
// The path is checked before it is opened, and opened without blocking where the platform allows,
// so a FIFO or device never stalls the caller; the open file is checked again. nullptr when refused,
// with `check` (if given) saying why. The caller closes the file with fclose and still counts what
// it reads: a file may grow after it was checked.
std::FILE* OpenForReading(const char* path, std::uint64_t maxBytes, FileCheck* check = nullptr);

enum class ReadResult { Ok, TooLarge, Failed };

// Reads what is left of `file` into `bytes`, counting what is actually read (a device reports no
// size): TooLarge, with `bytes` cleared, as soon as more than `maxBytes` arrive.
ReadResult ReadWhole(std::FILE* file, std::uint64_t maxBytes, std::string* bytes);

// "1 MiB", "16 MiB": a limit as messages state it.
std::string SizeText(std::uint64_t bytes);

}  // namespace platform
