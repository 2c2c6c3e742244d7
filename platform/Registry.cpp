#include "platform/Registry.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <cstring>

#include "platform/RegistryExport.h"
#endif

namespace platform {

#ifdef _WIN32

std::string RegistryProblem() {
    return {};
}

RegistryKey::~RegistryKey() {
    if (m_key) {
        RegCloseKey(static_cast<HKEY>(m_key));
    }
}

bool RegistryKey::Open(const char* subKey) {
    if (m_key) {
        RegCloseKey(static_cast<HKEY>(m_key));
        m_key = nullptr;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return false;
    }
    m_key = key;
    return true;
}

RegistryRead RegistryKey::ReadString(const char* name, char* buffer, std::size_t size) const {
    if (size == 0) {
        return RegistryRead::TooLong;
    }
    buffer[0] = '\0';
    if (!m_key) {
        return RegistryRead::Missing;
    }
    DWORD length = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    DWORD type = REG_NONE;
    const LSTATUS status = RegQueryValueExA(static_cast<HKEY>(m_key), name, nullptr, &type,
                                            reinterpret_cast<BYTE*>(buffer), &length);
    // Only text is a path: a number's or a blob's bytes read as one would name some other file.
    if ((status == ERROR_SUCCESS || status == ERROR_MORE_DATA) && type != REG_SZ && type != REG_EXPAND_SZ) {
        buffer[0] = '\0';
        return RegistryRead::Missing;
    }
    if (status != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return status == ERROR_MORE_DATA ? RegistryRead::TooLong : RegistryRead::Missing;
    }
    // A value stored without its terminating zero must still leave room for one.
    if (length < size) {
        buffer[length] = '\0';
    } else if (buffer[size - 1] != '\0') {
        buffer[0] = '\0';
        return RegistryRead::TooLong;
    }
    return RegistryRead::Ok;
}

#else

std::string RegistryProblem() {
    const char* exportPath = std::getenv("TOLVIK_REGISTRY");
    if (!exportPath || !*exportPath) {
        return {};
    }
    RegistryValues unused;
    std::string problem;
    ReadRegistryExport(exportPath, "", &unused, &problem);
    if (problem.empty()) {
        return {};
    }
    return "Registry export " + std::string(exportPath) + " (TOLVIK_REGISTRY) " + problem;
}

RegistryKey::~RegistryKey() = default;

bool RegistryKey::Open(const char* subKey) {
    const char* exportPath = std::getenv("TOLVIK_REGISTRY");
    if (!exportPath || !*exportPath || !ReadRegistryExport(exportPath, subKey, &m_values)) {
        m_values.clear();
        return false;
    }
    return true;
}

RegistryRead RegistryKey::ReadString(const char* name, char* buffer, std::size_t size) const {
    if (size == 0) {
        return RegistryRead::TooLong;
    }
    buffer[0] = '\0';
    const std::string_view wanted = name ? name : "";
    for (const auto& [valueName, value] : m_values) {
        if (EqualsIgnoringCase(valueName, wanted)) {
            if (value.size() >= size) {
                return RegistryRead::TooLong;
            }
            std::memcpy(buffer, value.c_str(), value.size() + 1);
            return RegistryRead::Ok;
        }
    }
    return RegistryRead::Missing;
}

#endif

}  // namespace platform
