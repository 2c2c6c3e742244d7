#include "platform/RegistryExport.h"

#include <algorithm>
#include <cstdint>
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
// The names and values are kept in blocks of this size (one larger value gets a block of its own).
constexpr std::size_t kBlockBytes = 1024 * 1024;

// The lines of an export's bytes without their line ends: UTF-16LE after its byte-order mark
// (converted to UTF-8), otherwise 8-bit text taken as it is, after a UTF-8 byte-order mark if there
// is one. Each line is found by one scan for its end, so the whole file costs linear time.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_rest(bytes) {
        if (m_rest.substr(0, 2) == "\xFF\xFE") {
            m_utf16 = true;
            m_rest.remove_prefix(2);
        } else if (m_rest.substr(0, 3) == "\xEF\xBB\xBF") {
            m_rest.remove_prefix(3);
        }
    }

    // False at the end of the bytes. A line longer than kMaxLine comes back cut, with `overlong` set.
    // The line lies in the bytes or, converted, in this reader, until the next call.
    bool Next(std::string_view* line, bool* overlong) {
        if (m_rest.empty()) {
            return false;
        }
        return m_utf16 ? NextUtf16(line, overlong) : NextBytes(line, overlong);
    }

private:
    bool NextBytes(std::string_view* line, bool* overlong) {
        const std::size_t end = std::min(m_rest.find('\n'), m_rest.size());
        *overlong = end > kMaxLine;
        *line = m_rest.substr(0, std::min(end, kMaxLine));
        m_rest.remove_prefix(std::min(end + 1, m_rest.size()));
        if (!line->empty() && line->back() == '\r') {
            line->remove_suffix(1);
        }
        return true;
    }

    bool NextUtf16(std::string_view* view, bool* overlong) {
        std::string* line = &m_converted;
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
        *overlong = end > 2 * kMaxLine;
        std::size_t kept = std::min(end, 2 * kMaxLine);
        if (kept >= 2 && m_rest[kept - 2] == '\r' && m_rest[kept - 1] == '\0') {
            kept -= 2;
        }
        const auto* data = reinterpret_cast<const unsigned char*>(m_rest.data());
        const int count = static_cast<int>(kept / 2);
        const int size = count > 0 ? ConvertUtf16Le(data, count, CodePage::Utf8, nullptr, 0) : 0;
        line->resize(size);
        if (size > 0) {
            ConvertUtf16Le(data, count, CodePage::Utf8, line->data(), size);
        }
        m_rest.remove_prefix(std::min(end + 2, m_rest.size()));
        *view = *line;
        return true;
    }

    std::string_view m_rest;
    std::string m_converted;  // the current line of UTF-16 text, as UTF-8
    bool m_utf16 = false;
};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A string in double quotes with regedit's escapes \\ and \" at the start of `text`; `rest` is
// what follows the closing quote.
bool ReadQuoted(std::string_view text, std::string* out, std::string_view* rest) {
    if (text.empty() || text.front() != '"') {
        return false;
    }
    out->clear();
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            *rest = text.substr(i + 1);
            return true;
        }
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            ++i;
        }
        out->push_back(text[i]);
    }
    return false;
}

// "Name"="value" or @="value" (the default value); false for any other kind of line.
bool ParseStringValue(std::string_view line, std::string* name, std::string* value) {
    std::string_view rest;
    if (!line.empty() && line.front() == '@') {
        name->clear();
        rest = line.substr(1);
    } else if (!ReadQuoted(line, name, &rest)) {
        return false;
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') {
        return false;
    }
    return ReadQuoted(Trim(rest.substr(1)), value, &rest) && Trim(rest).empty();
}

void FoldInPlace(std::string* text) {
    for (char& c : *text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

const std::string_view* FindValue(const RegistryValues& values, std::string_view name) {
    for (auto entry = values.rbegin(); entry != values.rend(); ++entry) {
        if (EqualsIgnoringCase(entry->first, name)) {
            return &entry->second;
        }
    }
    return nullptr;
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
    Read(bytes);
    if (!m_problem.empty()) {
        m_keys.clear();
        m_names.clear();
    }
    std::sort(m_names.begin(), m_names.end());
}

void RegistryExport::Read(const std::string& bytes) {
    LineReader reader(bytes);
    std::string_view line;
    bool overlong = false;
    if (!reader.Next(&line, &overlong)) {
        m_problem = "is empty";
        return;
    }
    const std::string_view header = Trim(line);
    if (header != "Windows Registry Editor Version 5.00" && header != "REGEDIT4") {
        m_problem =
            "is not a registry export (it does not begin with REGEDIT4 or Windows Registry Editor Version "
            "5.00)";
        return;
    }
    RegistryValues* current = nullptr;  // the values of the key whose lines these are
    std::string name;
    std::string value;
    while (reader.Next(&line, &overlong)) {
        const std::string_view text = Trim(line);
        if (!text.empty() && text.front() == '[') {
            // A cut header still tells which keys lie above it; it can never be a key itself.
            const bool closed = !overlong && text.back() == ']';
            std::string key(text.substr(1, closed ? text.size() - 2 : std::string_view::npos));
            FoldInPlace(&key);
            current = nullptr;
            if (key.compare(0, kHive.size(), kHive) != 0) {
                continue;
            }
            if (!closed) {
                m_names.push_back(std::move(key));
                continue;
            }
            const auto [entry, added] = m_keys.try_emplace(key);
            if (added) {
                m_names.push_back(std::move(key));
            }
            current = &entry->second;
        } else if (current && !overlong && ParseStringValue(text, &name, &value)) {
            current->emplace_back(Keep(name), Keep(value));
        }
    }
}

std::string_view RegistryExport::Keep(std::string_view text) {
    if (text.size() > m_freeBytes) {
        const std::size_t size = std::max(text.size(), kBlockBytes);
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_free = m_blocks.back().get();
        m_freeBytes = size;
    }
    const std::string_view kept(m_free, text.size());
    std::copy(text.begin(), text.end(), m_free);
    m_free += text.size();
    m_freeBytes -= text.size();
    return kept;
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
