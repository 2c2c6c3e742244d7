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
#include <utility>
#include <vector>

namespace platform {

// What is wrong with the registry as a status line ("Registry export ... is a directory"); empty
// when keys can be looked up in it, and where no export is named (then no key exists). Always
// empty on Windows.
std::string RegistryProblem();

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

    // Opens HKEY_LOCAL_MACHINE\<subKey> for reading; false when it does not exist. Key names
    // compare ignoring case.
    bool Open(const char* subKey);

    // Reads the named value ("" or null for the default value) as text into `buffer` of `size` bytes.
    // The buffer always ends up zero-terminated: empty unless the result is Ok. A value that is not
    // text (a number, binary data) counts as missing.
    RegistryRead ReadString(const char* name, char* buffer, std::size_t size) const;

private:
#ifdef _WIN32
    void* m_key = nullptr;  // HKEY
#else
    std::vector<std::pair<std::string, std::string> > m_values;  // in the order the export gives them
#endif
};

}  // namespace platform
