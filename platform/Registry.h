// Read-only access to keys under HKEY_LOCAL_MACHINE, as the host applications' installers leave them.
//
// Windows: the real registry, 64-bit view also from a 32-bit process. Elsewhere: the registry
// export file (regedit's "Windows Registry Editor Version 5.00" UTF-16LE form, or "REGEDIT4")
// named by the environment variable TOLVIK_REGISTRY; without a readable export no key exists.
// Only string values ("Name"="value", @ for the default value) are seen there; UTF-16 text is
// handed out as UTF-8, the encoding of file names on those systems.
#pragma once

#include <cstddef>
#include <string>

#ifndef _WIN32
#include <optional>

#include "platform/RegistryExport.h"
#endif

namespace platform {

// The registry as one start of the program sees it; keys are opened in it. Windows: the real
// registry. Elsewhere: the export TOLVIK_REGISTRY names, read once when this is made.
class Registry {
public:
    Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // What is wrong with the registry as a status line ("Registry export ... is a directory"); empty
    // when keys can be looked up in it, and where no export is named (then no key exists). Always
    // empty on Windows.
    std::string Problem() const;

private:
    friend class RegistryKey;
#ifndef _WIN32
    std::string m_path;  // empty: no export named
    std::optional<RegistryExport> m_export;
#endif
};

enum class RegistryRead {
    Ok,
    Missing,
    TooLong,  // the value and its terminating zero do not fit the buffer; nothing is handed out
};

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens HKEY_LOCAL_MACHINE\<subKey> of `registry` for reading; false when it does not exist.
    // Key names compare ignoring case. The key must not outlive the registry.
    bool Open(const Registry& registry, const char* subKey);

    // Reads the named value ("" or null for the default value) as text into `buffer` of `size` bytes.
    // The buffer always ends up zero-terminated: empty unless the result is Ok. A value that is not
    // text (a number, binary data) counts as missing.
    RegistryRead ReadString(const char* name, char* buffer, std::size_t size) const;

private:
#ifdef _WIN32
    void* m_key = nullptr;  // HKEY
#else
    const RegistryValues* m_values = nullptr;  // in the registry's export
#endif
};

}  // namespace platform
