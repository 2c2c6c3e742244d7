#include "platform/File.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

namespace {

FileCheck Refused(FileState state, std::string reason) {
    return FileCheck{state, std::move(reason)};
}

FileCheck TooLarge(std::uint64_t maxBytes) {
    return Refused(FileState::TooLarge, "is larger than " + SizeText(maxBytes));
}

#ifndef _WIN32

FileCheck Judge(const struct stat& status, std::uint64_t maxBytes) {
    if (S_ISDIR(status.st_mode)) {
        return Refused(FileState::Directory, "is a directory");
    }
    if (S_ISFIFO(status.st_mode)) {
        return Refused(FileState::Special, "is a FIFO, not a regular file");
    }
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
        return Refused(FileState::Special, "is a device, not a regular file");
    }
    if (!S_ISREG(status.st_mode)) {
        return Refused(FileState::Special, "is not a regular file");
    }
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) {
        return TooLarge(maxBytes);
    }
    return {FileState::Regular, {}};
}

FileCheck FromErrno(int error) {
    if (error == ENOENT || error == ENOTDIR) {
        return Refused(FileState::Missing, "does not exist");
    }
    return Refused(FileState::Unreadable, "cannot be read");
}

#endif

}  // namespace

std::string NativePath(const char* path) {
    std::string native(path);
#ifndef _WIN32
    std::replace(native.begin(), native.end(), '\\', '/');
#endif
    return native;
}

std::string SizeText(std::uint64_t bytes) {
    constexpr std::uint64_t kMiB = 1024 * 1024;
    if (bytes >= kMiB && bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

#ifdef _WIN32

FileCheck CheckFile(const char* path, std::uint64_t maxBytes) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? Refused(FileState::Missing, "does not exist")
                   : Refused(FileState::Unreadable, "cannot be read");
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return Refused(FileState::Directory, "is a directory");
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) {
        return Refused(FileState::Special, "is a device, not a regular file");
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size > maxBytes ? TooLarge(maxBytes) : FileCheck{FileState::Regular, {}};
}

std::FILE* OpenForReading(const char* path, std::uint64_t maxBytes, FileCheck* check) {
    FileCheck result = CheckFile(path, maxBytes);
    std::FILE* file = nullptr;
    if (result.state == FileState::Regular) {
        file = std::fopen(path, "rb");
        if (!file) {
            result = Refused(FileState::Unreadable, "cannot be read");
        } else if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
            // Names such as CON or a pipe's pass the attribute check.
            std::fclose(file);
            file = nullptr;
            result = Refused(FileState::Special, "is not a regular file");
        }
    }
    if (check) {
        *check = std::move(result);
    }
    return file;
}

#else

FileCheck CheckFile(const char* path, std::uint64_t maxBytes) {
    struct stat status;
    if (stat(NativePath(path).c_str(), &status) != 0) {
        return FromErrno(errno);
    }
    return Judge(status, maxBytes);
}

std::FILE* OpenForReading(const char* path, std::uint64_t maxBytes, FileCheck* check) {
    const std::string native = NativePath(path);
    FileCheck result = CheckFile(path, maxBytes);
    std::FILE* file = nullptr;
    if (result.state == FileState::Regular) {
        // Non-blocking: a FIFO put in the file's place since the check still cannot stall the open.
        const int fd = open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat status;
        if (fd < 0) {
            result = FromErrno(errno);
        } else if (fstat(fd, &status) != 0) {
            result = Refused(FileState::Unreadable, "cannot be read");
        } else {
            result = Judge(status, maxBytes);
        }
        if (result.state == FileState::Regular) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            file = fdopen(fd, "rb");
            if (!file) {
                result = Refused(FileState::Unreadable, "cannot be read");
            }
        }
        if (!file && fd >= 0) {
            close(fd);
        }
    }
    if (check) {
        *check = std::move(result);
    }
    return file;
}

#endif

ReadResult ReadWhole(std::FILE* file, std::uint64_t maxBytes, std::string* bytes) {
    bytes->clear();
    char chunk[65536];
    for (;;) {
        const std::size_t count = std::fread(chunk, 1, sizeof(chunk), file);
        if (bytes->size() + count > maxBytes) {
            bytes->clear();
            return ReadResult::TooLarge;
        }
        bytes->append(chunk, count);
        if (count < sizeof(chunk)) {
            if (std::ferror(file)) {
                bytes->clear();
                return ReadResult::Failed;
            }
            return ReadResult::Ok;
        }
    }
}

}  // namespace platform
