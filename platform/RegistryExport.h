// The reader of registry export files behind RegistryKey where there is no registry.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// The string values of one key, by name folded to upper case (the registry compares names
// ignoring the case of ASCII letters); a later value of a name replaces an earlier one.
using RegistryValues = std::unordered_map<std::string, std::string>;

// An export file read once: the string values of every key under HKEY_LOCAL_MACHINE, in time
// linear in the file's size. Lines it does not understand are skipped.
class RegistryExport {
public:
    // Reads the export at `path` (a file system path).
    explicit RegistryExport(const char* path);

    // Why the file cannot be used as an export at all (missing, not a regular file, empty, no
    // export header, too large, unreadable), to follow its path in a message; empty when it can.
    // An unusable file holds no key.
    const std::string& Problem() const { return m_problem; }

    // The values of HKEY_LOCAL_MACHINE\<subKey>; null when the export holds no such key (a key
    // exists also when only its subkeys are listed). Valid while this export lives.
    const RegistryValues* FindKey(std::string_view subKey) const;

private:
    void Read(const std::string& bytes);

    std::string m_problem;
    std::unordered_map<std::string, RegistryValues> m_keys;  // by folded full name, as listed
    std::vector<std::string> m_names;  // every listed name folded, cut ones too; sorted after the read
    RegistryValues m_noValues;         // of a key listed only through its subkeys
};

// ASCII letters in upper case, as the registry compares key and value names.
std::string FoldCase(std::string_view text);

}  // namespace platform
