// The reader of registry export files behind RegistryKey where there is no registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

// The string values of one key (name, value), every one in the export's order, so that storing
// one never compares it with those stored: Find takes the last given for a name. Each is kept as
// its place in the export's text (12 bytes, no allocation of its own); the text lies in the export
// that read them.
class RegistryValues {
public:
    using Value = std::pair<std::string_view, std::string_view>;

    explicit RegistryValues(const std::string* text) : m_text(text) {}

    // The value of `name` (ASCII letters in either case, as the registry compares names): the last
    // one given for it, as a later value replaces an earlier one. None when there is none.
    std::optional<std::string_view> Find(std::string_view name) const;

    std::size_t size() const { return m_places.size(); }

    class Iterator {
    public:
        Iterator(const RegistryValues* values, std::size_t index) : m_values(values), m_index(index) {}
        Value operator*() const { return m_values->At(m_index); }
        Iterator& operator++() {
            ++m_index;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_index == other.m_index; }

    private:
        const RegistryValues* m_values;
        std::size_t m_index;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, m_places.size()}; }

    // The same names and values in the same order, wherever their text lies.
    friend bool operator==(const RegistryValues& a, const RegistryValues& b);

private:
    friend class RegistryExport;

    // Offsets into the text: it is up to 96 MiB (64 MiB of UTF-16 as UTF-8), a line 12 KiB at most.
    struct Place {
        std::uint32_t name;
        std::uint32_t value;
        std::uint16_t nameSize;
        std::uint16_t valueSize;
    };

    Value At(std::size_t index) const {
        const Place& place = m_places[index];
        const char* text = m_text->data();
        return {{text + place.name, place.nameSize}, {text + place.value, place.valueSize}};
    }

    const std::string* m_text;
    std::vector<Place> m_places;
};

// An export file read once: the string values of every key under HKEY_LOCAL_MACHINE, in time
// linear in the file's size. Lines it does not understand are skipped.
class RegistryExport {
public:
    // Reads the export at `path` (a file system path).
    explicit RegistryExport(const char* path);
    // The values point into this export's text.
    RegistryExport(const RegistryExport&) = delete;
    RegistryExport& operator=(const RegistryExport&) = delete;

    // Why the file cannot be used as an export at all (missing, not a regular file, empty, no
    // export header, too large, unreadable), to follow its path in a message; empty when it can.
    // An unusable file holds no key.
    const std::string& Problem() const { return m_problem; }

    // The values of HKEY_LOCAL_MACHINE\<subKey>; null when the export holds no such key (a key
    // exists also when only its subkeys are listed). Valid while this export lives.
    const RegistryValues* FindKey(std::string_view subKey) const;

private:
    void Read(std::string bytes);

    std::string m_problem;
    // The export as UTF-8 text, line ends and all; names and values are unescaped where they lie.
    std::string m_text;
    std::unordered_map<std::string, RegistryValues> m_keys;  // by folded full name, as listed
    std::vector<std::string> m_names;    // every listed name folded, cut ones too; sorted after the read
    RegistryValues m_noValues{&m_text};  // of a key listed only through its subkeys
};

}  // namespace platform
