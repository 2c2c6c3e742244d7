#include "commandline/FileArgument.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#endif

namespace commandline {

#ifdef _WIN32

const char* FileProblem(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return "no such file";
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return "not a regular file";
    }
    // Devices (CON, NUL) and pipes pass the attribute check; only a file on disk is a file.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "cannot be read";
    }
    const DWORD type = GetFileType(file);
    CloseHandle(file);
    return type == FILE_TYPE_DISK ? nullptr : "not a regular file";
}

std::string AbsolutePath(const std::string& path) {
    char full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

std::string CanAdapterLibrary() {
    char program[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    std::string folder(program, length > 0 && length < sizeof program ? length : 0);
    const size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    const std::string beside = folder + "tolvikcan.dll";
    return GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES ? beside
                                                                         : folder + "CAN\\tolvikcan.dll";
}

void SetEnvironment(const char* name, const std::string& value) {
    // The C runtime's copy is what getenv reads; _putenv_s keeps the system's in step.
    _putenv_s(name, value.c_str());
}

#else

const char* FileProblem(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        return "no such file";
    }
    if (!S_ISREG(status.st_mode)) {
        return "not a regular file";
    }
    return access(path.c_str(), R_OK) == 0 ? nullptr : "cannot be read";
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string CanAdapterLibrary() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path beside = folder / "libtolvikcan.so";
    return (std::filesystem::exists(beside, error)
                ? beside
                : folder / TOLVIK_INSTALLED_PRIVATE_DIR / "libtolvikcan.so")
        .lexically_normal()
        .string();
}

void SetEnvironment(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}

#endif

}  // namespace commandline
