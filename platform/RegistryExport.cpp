#include "platform/RegistryExport.h"

#include <algorithm>
#include <cstring>

#include "platform/File.h"
#include "platform/TextEncoding.h"

namespace platform {

namespace {

// Longest line kept, in bytes or UTF-16 units. Key paths and the string values read here stay far
// below it; longer lines (long binary values) are never value lines of interest.
constexpr std::size_t kMaxLine = 4096;
constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE\\";
// Largest export read. An export of the installation keys is a few hundred bytes; even a whole
// branch such as HKEY_LOCAL_MACHINE\SOFTWARE\Quarn Corporation stays far below this. The file is
// read whole, so the limit bounds memory as well as time.
constexpr std::uint64_t kMaxExportBytes = 64 * 1024 * 1024;
// A UTF-16 unit becomes at most three bytes of UTF-8 (a pair of them, four).
constexpr std::size_t kUtf8PerUnit = 3;

// One line of the text, without its line end: changeable in place.
struct Line {
    char* begin;
    char* end;
    bool overlong;  // longer than kMaxLine and cut there
};

// The lines of an export's bytes, as UTF-8 in one text: UTF-16LE after its byte-order mark is
// converted line by line into the text; other bytes (8-bit text, after a UTF-8 byte-order mark if
// there is one) become the text as they are. Each line is found by one scan for its end, so the
// whole file costs linear time.
class LineReader {
public:
    LineReader(std::string bytes, std::string* text) : m_text(text) {
        if (std::string_view(bytes).substr(0, 2) == "\xFF\xFE") {
            m_utf16 = true;
            m_bytes = std::move(bytes);
            m_rest = std::string_view(m_bytes).substr(2);
            text->clear();
            // ASCII text needs no more, with room for converting its longest line.
            text->reserve(m_rest.size() / 2 + kUtf8PerUnit * kMaxLine);
            AskForHugePages(text->data(), text->capacity());
        } else {
            *text = std::move(bytes);
            m_at = std::string_view(*text).substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        }
    }

    // False at the end of the bytes. A line longer than kMaxLine comes back cut, marked overlong.
    // The line lies in the text until the next call, which may move the text.
    bool Next(Line* line) { return m_utf16 ? NextUtf16(line) : NextBytes(line); }

private:
    bool NextBytes(Line* line) {
        const std::size_t size = m_text->size();
        if (m_at >= size) {
            return false;
        }
        char* begin = m_text->data() + m_at;
        const void* found = std::memchr(begin, '\n', size - m_at);
        const std::size_t length =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - begin) : size - m_at;
        m_at += length + 1;
        line->overlong = length > kMaxLine;
        line->begin = begin;
        line->end = begin + std::min(length, kMaxLine);
        if (line->end != begin && line->end[-1] == '\r') {
            --line->end;
        }
        return true;
    }

    bool NextUtf16(Line* line) {
        if (m_rest.empty()) {
            return false;
        }
        // An odd byte at the very end is half a unit: no text.
        const std::size_t units = m_rest.size() / 2;
        std::size_t end = 0;
        for (std::size_t from = 0;; from = end + 1) {
            const void* found = std::memchr(m_rest.data() + from, '\n', 2 * units - from);
            end =
                found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_rest.data()) : 2 * units;
            if (end == 2 * units || (end % 2 == 0 && m_rest[end + 1] == '\0')) {
                break;
            }
        }
        line->overlong = end > 2 * kMaxLine;
        std::size_t kept = std::min(end, 2 * kMaxLine);
        if (kept >= 2 && m_rest[kept - 2] == '\r' && m_rest[kept - 1] == '\0') {
            kept -= 2;
        }
        const std::size_t at = m_text->size();
        const int count = static_cast<int>(kept / 2);
        if (count > 0) {
            // Room for the longest result, then cut to what it took: one conversion.
            const int room = static_cast<int>(kUtf8PerUnit * kept / 2);
            m_text->resize(at + static_cast<std::size_t>(room));
            const int size = ConvertUtf16Le(reinterpret_cast<const unsigned char*>(m_rest.data()), count,
                                            CodePage::Utf8, m_text->data() + at, room);
            m_text->resize(at + static_cast<std::size_t>(size));
        }
        m_rest.remove_prefix(std::min(end + 2, m_rest.size()));
        line->begin = m_text->data() + at;
        line->end = m_text->data() + m_text->size();
        return true;
    }

    std::string* m_text;
    std::size_t m_at = 0;     // where the next line of 8-bit text begins
    std::string m_bytes;      // the file, when it is UTF-16
    std::string_view m_rest;  // what is left of it to convert
    bool m_utf16 = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void Trim(char** begin, char** end) {
    while (*begin != *end && IsBlank(**begin)) {
        ++*begin;
    }
    while (*end != *begin && IsBlank((*end)[-1])) {
        --*end;
    }
}

// A string in double quotes with regedit's escapes \\ and \" at `begin`, unescaped where it lies
// (the characters move towards the opening quote) into `out`; `rest` is what follows the closing
// quote. False, with the string's bytes left as they may be, when it has no closing quote.
bool ReadQuoted(char* begin, char* end, std::string_view* out, char** rest) {
    if (begin == end || *begin != '"') {
        return false;
    }
    char* from = begin + 1;
    // Most strings hold no escape and stay where they are.
    while (from != end && *from != '"' && *from != '\\') {
        ++from;
    }
    char* to = from;
    for (; from != end; ++from) {
        if (*from == '"') {
            *out = std::string_view(begin + 1, static_cast<std::size_t>(to - begin - 1));
            *rest = from + 1;
            return true;
        }
        if (*from == '\\' && from + 1 != end && (from[1] == '\\' || from[1] == '"')) {
            ++from;
        }
        *to++ = *from;
    }
    return false;
}

// "Name"="value" or @="value" (the default value), unescaped in place; false for any other kind of
// line.
bool ParseStringValue(char* begin, char* end, std::string_view* name, std::string_view* value) {
    char* rest = nullptr;
    if (begin != end && *begin == '@') {
        *name = std::string_view(begin, 0);
        rest = begin + 1;
    } else if (!ReadQuoted(begin, end, name, &rest)) {
        return false;
    }
    Trim(&rest, &end);
    if (rest == end || *rest != '=') {
        return false;
    }
    ++rest;
    Trim(&rest, &end);
    if (!ReadQuoted(rest, end, value, &rest)) {
        return false;
    }
    Trim(&rest, &end);
    return rest == end;
}

char Fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

void FoldInPlace(std::string* text) {
    for (char& c : *text) {
        c = Fold(c);
    }
}

// ASCII letters fold together, as the registry compares key and value names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string_view> RegistryValues::Find(std::string_view name) const {
    for (std::size_t index = m_places.size(); index-- > 0;) {
        const Value value = At(index);
        if (EqualsIgnoringCase(value.first, name)) {
            return value.second;
        }
    }
    return std::nullopt;
}

bool operator==(const RegistryValues& a, const RegistryValues& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t index = 0; index < a.size(); ++index) {
        if (a.At(index) != b.At(index)) {
            return false;
        }
    }
    return true;
}

RegistryExport::RegistryExport(const char* path) {
    FileCheck check;
    const File file = OpenForReading(path, kMaxExportBytes, &check);
    if (!file) {
        m_problem = check.reason;
        return;
    }
    std::string bytes;
    const ReadResult read = ReadWhole(file.get(), kMaxExportBytes, &bytes);
    if (read != ReadResult::Ok) {
        m_problem = ReadFailure(read, kMaxExportBytes);
        return;
    }
    Read(std::move(bytes));
    if (!m_problem.empty()) {
        m_keys.clear();
        m_names.clear();
        m_text.clear();
    }
    std::sort(m_names.begin(), m_names.end());
}

void RegistryExport::Read(std::string bytes) {
    LineReader reader(std::move(bytes), &m_text);
    Line line{};
    if (!reader.Next(&line)) {
        m_problem = "is empty";
        return;
    }
    Trim(&line.begin, &line.end);
    const std::string_view header(line.begin, static_cast<std::size_t>(line.end - line.begin));
    if (header != "Windows Registry Editor Version 5.00" && header != "REGEDIT4") {
        m_problem =
            "is not a registry export (it does not begin with REGEDIT4 or Windows Registry Editor Version "
            "5.00)";
        return;
    }
    RegistryValues* current = nullptr;  // the values of the key whose lines these are
    std::string_view name;
    std::string_view value;
    while (reader.Next(&line)) {
        Trim(&line.begin, &line.end);
        if (line.begin != line.end && *line.begin == '[') {
            // A cut header still tells which keys lie above it; it can never be a key itself.
            const bool closed = !line.overlong && line.end[-1] == ']';
            std::string key(line.begin + 1, closed ? line.end - 1 : line.end);
            FoldInPlace(&key);
            current = nullptr;
            if (key.compare(0, kHive.size(), kHive) != 0) {
                continue;
            }
            if (!closed) {
                m_names.push_back(std::move(key));
                continue;
            }
            const auto [entry, added] = m_keys.try_emplace(key, &m_text);
            if (added) {
                m_names.push_back(std::move(key));
            }
            current = &entry->second;
        } else if (current && !line.overlong && ParseStringValue(line.begin, line.end, &name, &value)) {
            std::vector<RegistryValues::Place>& places = current->m_places;
            if (places.size() == places.capacity()) {
                // Grown here, so that the new room can be hinted before it is first written.
                places.reserve(std::max<std::size_t>(2 * places.capacity(), 16));
                AskForHugePages(places.data() + places.size(),
                                (places.capacity() - places.size()) * sizeof(RegistryValues::Place));
            }
            const char* text = m_text.data();
            places.push_back({static_cast<std::uint32_t>(name.data() - text),
                              static_cast<std::uint32_t>(value.data() - text),
                              static_cast<std::uint16_t>(name.size()),
                              static_cast<std::uint16_t>(value.size())});
        }
    }
}

const RegistryValues* RegistryExport::FindKey(std::string_view subKey) const {
    std::string wanted(kHive);
    wanted += subKey;
    FoldInPlace(&wanted);
    if (const auto entry = m_keys.find(wanted); entry != m_keys.end()) {
        return &entry->second;
    }
    wanted += '\\';
    const auto below = std::lower_bound(m_names.begin(), m_names.end(), wanted);
    if (below != m_names.end() && below->compare(0, wanted.size(), wanted) == 0) {
        return &m_noValues;
    }
    return nullptr;
}

}  // namespace platform
