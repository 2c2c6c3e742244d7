#include "tests/support/LookupFiles.h"

#include <stdlib.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/HostName.h"

TempFolder::TempFolder() {
    // Test processes may run side by side: a random token per process, a counter within it.
    static const unsigned token = std::random_device{}();
    static std::atomic<int> counter{0};
    m_path = (std::filesystem::temp_directory_path() /
              ("tolvik-lookup-" + std::to_string(token) + "-" + std::to_string(counter++)))
                 .string();
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path path = std::filesystem::path(m_path) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

#ifndef _WIN32
std::string TempFolder::Plant(const std::string& relative, Hostile kind, unsigned long long bytes) const {
    const std::filesystem::path path = std::filesystem::path(m_path) / relative;
    std::filesystem::create_directories(path.parent_path());
    switch (kind) {
        case Hostile::Folder:
            std::filesystem::create_directories(path / "inside");
            break;
        case Hostile::Fifo:
            mkfifo(path.c_str(), 0600);
            break;
        case Hostile::Device:
            std::filesystem::create_symlink("/dev/zero", path);
            break;
        case Hostile::Oversize:
            std::ofstream(path, std::ios::binary) << "REGEDIT4\n";
            std::filesystem::resize_file(path, bytes);
            break;
        case Hostile::Growing:
            std::filesystem::create_symlink("/proc/self/pagemap", path);
            break;
        case Hostile::ReadError:
            std::filesystem::create_symlink("/proc/self/mem", path);
            break;
    }
    return path.string();
}
#endif

namespace {

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");  // an empty value removes it
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

ScopedVariable::ScopedVariable(const char* name, const char* value) : m_name(name) {
    const char* previous = std::getenv(name);
    m_had = previous != nullptr;
    m_previous = previous ? previous : "";
    SetVariable(name, value);
}

ScopedVariable::~ScopedVariable() {
    SetVariable(m_name.c_str(), m_had ? m_previous.c_str() : nullptr);
}

std::string RegistryExport(ExportForm form, const std::vector<ExportKey>& keys) {
    std::string text =
        form == ExportForm::Unicode ? "Windows Registry Editor Version 5.00\r\n" : "REGEDIT4\r\n";
    for (const ExportKey& key : keys) {
        text += "\r\n[HKEY_LOCAL_MACHINE\\" + key.path + "]\r\n";
        for (const auto& [name, value] : key.values) {
            text += (name.empty() ? "@" : Quoted(name)) + "=" + Quoted(value) + "\r\n";
        }
    }
    text += "\r\n";
    return form == ExportForm::Unicode ? "\xFF\xFE" + Utf16Le(text) : text;
}

std::string Utf16Le(const std::string& text) {
    std::string units;
    for (char c : text) {
        units += c;
        units += '\0';
    }
    return units;
}

std::string HostName() {
    char name[260];
    platform::GetHostName(name, sizeof(name));
    return name;
}
