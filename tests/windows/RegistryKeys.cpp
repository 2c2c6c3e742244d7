#include "tests/windows/RegistryKeys.h"

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

}  // namespace

RegistryKeys::RegistryKeys(const std::vector<ExportKey>& keys) {
    for (const ExportKey& key : keys) {
        m_ok = Create(key.path) && m_ok;
        for (const auto& [name, value] : key.values) {
            m_ok = SetString(key.path, name.c_str(), value) && m_ok;
        }
    }
}

RegistryKeys::~RegistryKeys() {
    for (auto key = m_created.rbegin(); key != m_created.rend(); ++key) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key->c_str(), kView, 0);
    }
}

bool RegistryKeys::Exists(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | kView, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

bool RegistryKeys::Create(const std::string& key) {
    // Level by level, to know which levels were there before.
    for (size_t end = 0; end != std::string::npos;) {
        end = key.find('\\', end + 1);
        const std::string level = key.substr(0, end);
        HKEY handle = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, level.c_str(), 0, nullptr, 0, KEY_WRITE | kView, nullptr,
                            &handle, &disposition) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(handle);
        if (disposition == REG_CREATED_NEW_KEY) {
            m_created.push_back(level);
        } else if (end == std::string::npos) {
            // The key itself must be ours, unless this object made it for an earlier value.
            for (const std::string& created : m_created) {
                if (created == level) {
                    return true;
                }
            }
            return false;
        }
    }
    return true;
}

bool RegistryKeys::SetRaw(const std::string& key, const char* name, DWORD type, const void* data,
                          DWORD size) {
    if (!Create(key)) {
        return false;
    }
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE | kView, &handle) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool RegistryKeys::SetString(const std::string& key, const char* name, const std::string& value) {
    return SetRaw(key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}
