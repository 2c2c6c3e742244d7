#include "platform/File.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
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

FileCheck Unreadable() {
    return Refused(FileState::Unreadable, "cannot be read");
}

#ifdef _WIN32

FileCheck FromAttributes(const char* path, std::uint64_t maxBytes) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? Refused(FileState::Missing, "does not exist")
                   : Unreadable();
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

// The open file itself: names such as CON or a pipe's pass an attribute check.
FileCheck Judge(std::FILE* file, std::uint64_t maxBytes) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        return Refused(FileState::Special, "is not a regular file");
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) {
        return Unreadable();
    }
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return Refused(FileState::Directory, "is a directory");
    }
    const std::uint64_t size =
        (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return size > maxBytes ? TooLarge(maxBytes) : FileCheck{FileState::Regular, {}};
}

#else

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
    return Unreadable();
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
    return FromAttributes(path, maxBytes);
}

// Windows has no FIFOs in the file system, and opening a device or pipe name does not wait: the
// file is opened first and judged by its handle.
File OpenForReading(const char* path, std::uint64_t maxBytes, FileCheck* check) {
    File file(std::fopen(path, "rb"));
    FileCheck result;
    if (!file) {
        result = FromAttributes(path, maxBytes);
        if (result.state == FileState::Regular || result.state == FileState::TooLarge) {
            result = Unreadable();
        }
    } else if ((result = Judge(file.get(), maxBytes)).state != FileState::Regular) {
        file.reset();
    }
    if (check) {
        *check = std::move(result);
    }
    return file;
}

#else

FileCheck CheckFile(const char* path, std::uint64_t maxBytes) {
    struct stat status;
    if (stat(path, &status) != 0) {
        return FromErrno(errno);
    }
    const FileCheck check = Judge(status, maxBytes);
    return check.state == FileState::Regular && access(path, R_OK) != 0 ? Unreadable() : check;
}

File OpenForReading(const char* path, std::uint64_t maxBytes, FileCheck* check) {
    // Looked at first only so that a device is not even opened (opening a serial line or a tape
    // acts on it); the decision is made on the open descriptor.
    FileCheck result = CheckFile(path, maxBytes);
    File file;
    if (result.state == FileState::Regular) {
        // Non-blocking: a FIFO put in the file's place since the look still cannot stall the open.
        const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat status;
        if (fd < 0) {
            result = FromErrno(errno);
        } else if (fstat(fd, &status) != 0) {
            result = Unreadable();
        } else {
            result = Judge(status, maxBytes);
        }
        if (result.state == FileState::Regular) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            file.reset(fdopen(fd, "rb"));
            if (!file) {
                result = Unreadable();
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

void AskForHugePages(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
    if (first < last) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)size;
#endif
}

ReadResult ReadWhole(std::FILE* file, std::uint64_t maxBytes, std::string* bytes) {
    bytes->clear();
    // Room for what the file says it holds (never more than the limit): one allocation, no copies
    // as the text grows. What is read is still counted.
#ifdef _WIN32
    const long long size = _filelengthi64(_fileno(file));
#else
    struct stat status;
    const long long size = fstat(fileno(file), &status) == 0 ? static_cast<long long>(status.st_size) : 0;
#endif
    if (size > 0) {
        bytes->reserve(
            static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(size), maxBytes)) +
            1);
        AskForHugePages(bytes->data(), bytes->capacity());
    }
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

std::string ReadFailure(ReadResult result, std::uint64_t maxBytes) {
    return result == ReadResult::TooLarge ? "is larger than " + SizeText(maxBytes) : "cannot be read";
}

}  // namespace platform
