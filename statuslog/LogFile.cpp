#include "statuslog/LogFile.h"

#include <algorithm>
#include <ctime>

#include "canlink/BridgeLibrary.h"
#include "platform/HostName.h"
#include "platform/TextEncoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#endif

using canlink::BridgeLibraryLoaded;
using canlink::DefaultBridgeLibraryPath;

namespace statuslog {
namespace {

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32] = {};
    std::strftime(text, sizeof text, format, &local);
    return text;
}

#ifdef _WIN32

std::string SystemReason(DWORD error) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring wide(message ? message : L"", length);
    LocalFree(message);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.')) {
        wide.pop_back();
    }
    if (wide.empty()) {
        return "error " + std::to_string(error);
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string reason(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), reason.data(), bytes, nullptr,
                        nullptr);
    return reason;
}

bool SaveNative(const std::filesystem::path& target, const std::string& text, std::string* error) {
    const std::filesystem::path folder = target.parent_path();
    // A name of our own beside the target: the replace is then a rename within one volume.
    std::filesystem::path temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary =
            folder / (L"~" + target.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(attempt) + L".tmp");
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        *error = SystemReason(GetLastError());
        return false;
    }
    size_t written = 0;
    bool ok = true;
    while (ok && written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - written, 1u << 20));
        DWORD done = 0;
        ok = WriteFile(file, text.data() + written, chunk, &done, nullptr) && done == chunk;
        written += done;
    }
    ok = ok && FlushFileBuffers(file);
    DWORD failure = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (ok) {
        // The file keeps its ordinary attributes once it is the log.
        SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        failure = ok ? 0 : GetLastError();
    }
    if (!ok) {
        DeleteFileW(temporary.c_str());
        *error = SystemReason(failure ? failure : ERROR_WRITE_FAULT);
    }
    return ok;
}

#else

bool WriteAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t done = write(fd, text.data() + written, text.size() - written);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        written += static_cast<size_t>(done);
    }
    return true;
}

bool SaveNative(const std::filesystem::path& target, const std::string& text, std::string* error) {
    // A hidden name of our own beside the target: the replace is then a rename within one file system.
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string temporary = (target.parent_path() / name).string();
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    // An earlier log keeps its permissions; a new one gets what a new file gets.
    struct stat existing;
    if (stat(target.c_str(), &existing) == 0) {
        fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    int failure = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        *error = std::strerror(failure);
    }
    return ok;
}

#endif

}  // namespace

bool SaveLogFile(const std::filesystem::path& target, const std::string& text, std::string* error) {
    return SaveNative(target, text, error);
}

std::vector<std::string> LogFileHeader() {
    char host[256];
    platform::GetHostName(host, sizeof host);
    return {
        "Tolvik status log",
        // ISO 8601 local time without a zone, as the Linux log always had.
        "Saved: " + LocalTimeText("%Y-%m-%dT%H:%M:%S"),
        "Tolvik version: " TOLVIK_VERSION,
        // The file is UTF-8 throughout; Windows gives these in its ANSI code page.
        "Host name: " + platform::SystemTextToUtf8(host),
        "Bridge library: " + platform::SystemTextToUtf8(DefaultBridgeLibraryPath()) +
            (BridgeLibraryLoaded() ? "" : " (not loaded)"),
    };
}

std::string SuggestedFileName() {
    return LocalTimeText("tolvik-log-%Y%m%d-%H%M%S.txt");
}

std::string SaveFailureMessage(const std::string& path, const std::string& reason) {
    return "The log could not be saved to " + path + ": " + reason + ".\nThe log in the window is unchanged.";
}

std::string LogFileText(const std::vector<std::string>& header, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : header) {
        text += line;
        text += '\n';
    }
    text += '\n';
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

}  // namespace statuslog
