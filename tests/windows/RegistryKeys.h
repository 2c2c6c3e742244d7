// Keys under HKEY_LOCAL_MACHINE (64-bit view) written by a test into the real registry and
// removed at its end. Only keys this object created are removed, deepest first: values are never
// written into, nor keys deleted from, an installation the machine already has.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/LookupFiles.h"

class RegistryKeys {
public:
    RegistryKeys() = default;
    // Writes each key with its values as strings.
    explicit RegistryKeys(const std::vector<ExportKey>& keys);
    ~RegistryKeys();
    RegistryKeys(const RegistryKeys&) = delete;
    RegistryKeys& operator=(const RegistryKeys&) = delete;

    // Creates `key` (below HKEY_LOCAL_MACHINE) and sets one value with exactly `size` bytes of
    // `data`: no terminating zero is added. False when the key existed before or cannot be made.
    bool SetRaw(const std::string& key, const char* name, DWORD type, const void* data, DWORD size);
    bool SetString(const std::string& key, const char* name, const std::string& value);
    bool Ok() const { return m_ok; }

    // Whether HKEY_LOCAL_MACHINE\<key> exists in the 64-bit view.
    static bool Exists(const std::string& key);

private:
    bool Create(const std::string& key);

    std::vector<std::string> m_created;  // in the order made
    bool m_ok = true;
};
