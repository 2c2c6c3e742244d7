#include "platform/Registry.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <cstring>
#endif

namespace platform {

#ifdef _WIN32

Registry::Registry() = default;

std::string Registry::Problem() const {
    return {};
}

RegistryKey::~RegistryKey() {
    if (m_key) {
        RegCloseKey(static_cast<HKEY>(m_key));
    }
}

bool RegistryKey::Open(const Registry&, const char* subKey) {
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

Registry::Registry() {
    if (const char* exportPath = std::getenv("TOLVIK_REGISTRY"); exportPath && *exportPath) {
        m_path = exportPath;
        m_export.emplace(exportPath);
    }
}

std::string Registry::Problem() const {
    if (!m_export || m_export->Problem().empty()) {
        return {};
    }
    return "Registry export " + m_path + " (TOLVIK_REGISTRY) " + m_export->Problem();
}

RegistryKey::~RegistryKey() = default;

bool RegistryKey::Open(const Registry& registry, const char* subKey) {
    m_values = registry.m_export ? registry.m_export->FindKey(subKey) : nullptr;
    return m_values != nullptr;
}

RegistryRead RegistryKey::ReadString(const char* name, char* buffer, std::size_t size) const {
    if (size == 0) {
        return RegistryRead::TooLong;
    }
    buffer[0] = '\0';
    if (!m_values) {
        return RegistryRead::Missing;
    }
    const std::optional<std::string_view> found = m_values->Find(name ? name : "");
    if (!found) {
        return RegistryRead::Missing;
    }
    const std::string_view value = *found;
    if (value.size() >= size) {
        return RegistryRead::TooLong;
    }
    std::memcpy(buffer, value.data(), value.size());
    buffer[value.size()] = '\0';
    return RegistryRead::Ok;
}

#endif

}  // namespace platform
