// Opening files named from outside, and refusing anything but a regular file of bounded size
// before a read can block or run forever.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace platform {

// The path as the file system takes it: unchanged on Windows, backslashes turned into slashes
// elsewhere. Only for paths built from the host's Windows configuration values; a path the user
// names is the file system's already and keeps its backslashes.
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

// Looks at `path` without opening it (also whether this user may read it). For messages and
// choices only: what is read is judged again on the open file.
FileCheck CheckFile(const char* path, std::uint64_t maxBytes);

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// An open file; closed when the handle goes.
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file of at most `maxBytes` for reading without newline translation. The path is
// opened once, without blocking (a FIFO put in its place never stalls the caller), and judged on
// the open file, so nothing swapped in after a check is read. Empty when refused, with `check`
// (if given) saying why. The caller still counts what it reads: a file may grow after it was opened.
File OpenForReading(const char* path, std::uint64_t maxBytes, FileCheck* check = nullptr);

// Hints that the `size` bytes at `data`, about to be written for the first time, be kept in 2 MiB
// pages where the system offers them: 4 KiB pages cost a page fault each (16,384 for 64 MiB),
// which a virtual machine makes slow. Changes nothing else.
void AskForHugePages(void* data, std::size_t size);

enum class ReadResult { Ok, TooLarge, Failed };

// Reads what is left of `file` into `bytes`, counting what is actually read (a device reports no
// size): TooLarge, with `bytes` cleared, as soon as more than `maxBytes` arrive.
ReadResult ReadWhole(std::FILE* file, std::uint64_t maxBytes, std::string* bytes);

// Why a read that was not Ok failed, to follow the file's path in a message.
std::string ReadFailure(ReadResult result, std::uint64_t maxBytes);

// "1 MiB", "16 MiB": a limit as messages state it.
std::string SizeText(std::uint64_t bytes);

}  // namespace platform
