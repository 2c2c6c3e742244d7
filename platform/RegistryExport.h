// The reader of registry export files behind RegistryKey where there is no registry.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

// The string values of one key (name, value), every one in the export's order, so that storing
// one never compares it with those stored, nor moves them as more arrive: FindValue takes the
// last given for a name. The text lies in the export that read them.
using RegistryValues = std::deque<std::pair<std::string_view, std::string_view>>;

// The value of `name` (ASCII letters in either case, as the registry compares names): the last one
// given for it, as a later value replaces an earlier one. Null when there is none.
const std::string_view* FindValue(const RegistryValues& values, std::string_view name);

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
    // A lasting copy of `text`, in blocks that never move: no value is copied again as more arrive.
    std::string_view Keep(std::string_view text);

    std::string m_problem;
    std::vector<std::unique_ptr<char[]>> m_blocks;  // the names and values
    char* m_free = nullptr;                         // what is left of the last block
    std::size_t m_freeBytes = 0;
    std::unordered_map<std::string, RegistryValues> m_keys;  // by folded full name, as listed
    std::vector<std::string> m_names;  // every listed name folded, cut ones too; sorted after the read
    RegistryValues m_noValues;         // of a key listed only through its subkeys
};

// ASCII letters fold together, as the registry compares key and value names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace platform
