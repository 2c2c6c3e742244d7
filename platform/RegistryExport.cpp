#include "platform/RegistryExport.h"

#include <cstdio>
#include <memory>

#include "platform/File.h"
#include "platform/TextEncoding.h"

namespace platform {

namespace {

// Longest line kept, in bytes or UTF-16 units. Key paths and the string values read here stay far
// below it; longer lines (long binary values) are never value lines of interest.
constexpr std::size_t kMaxLine = 4096;
constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE\\";
// Largest export read. An export of the installation keys is a few hundred bytes; even a whole
// branch such as HKEY_LOCAL_MACHINE\SOFTWARE\Quarn Corporation stays far below this. The reader
// streams, so the limit bounds time, not memory.
constexpr std::uint64_t kMaxExportBytes = 64 * 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The lines of an export without their line ends: UTF-16LE after its byte-order mark (converted to
// UTF-8), otherwise 8-bit text taken as it is, after a UTF-8 byte-order mark if there is one.
class LineReader {
public:
    explicit LineReader(std::FILE* file) : m_file(file) {
        const int first = Get();
        const int second = Get();
        if (first == 0xFF && second == 0xFE) {
            m_utf16 = true;
        } else if (!(first == 0xEF && second == 0xBB && Get() == 0xBF)) {
            std::rewind(file);
            m_read = 0;
        }
    }

    // The file ended early: more than kMaxExportBytes were read.
    bool TooLarge() const { return m_read > kMaxExportBytes; }

    // False at the end of the file. A line longer than kMaxLine comes back cut, with `overlong` set.
    bool Next(std::string* line, bool* overlong) {
        *overlong = false;
        line->clear();
        return m_utf16 ? NextUtf16(line, overlong) : NextBytes(line, overlong);
    }

private:
    // The next byte, counted; EOF also once the limit is passed (a file may grow after its check).
    int Get() {
        if (TooLarge()) {
            return EOF;
        }
        const int c = std::getc(m_file);
        m_read += c != EOF;
        return TooLarge() ? EOF : c;
    }

    bool NextBytes(std::string* line, bool* overlong) {
        int c = Get();
        if (c == EOF) {
            return false;
        }
        for (; c != EOF && c != '\n'; c = Get()) {
            if (line->size() < kMaxLine) {
                line->push_back(static_cast<char>(c));
            } else {
                *overlong = true;
            }
        }
        if (!line->empty() && line->back() == '\r') {
            line->pop_back();
        }
        return true;
    }

    bool NextUtf16(std::string* line, bool* overlong) {
        m_units.clear();
        int low = Get();
        if (low == EOF) {
            return false;
        }
        for (int high; low != EOF && (high = Get()) != EOF; low = Get()) {
            if (low == '\n' && high == 0) {
                break;
            }
            if (m_units.size() < 2 * kMaxLine) {
                m_units.push_back(static_cast<unsigned char>(low));
                m_units.push_back(static_cast<unsigned char>(high));
            } else {
                *overlong = true;
            }
        }
        if (m_units.size() >= 2 && m_units[m_units.size() - 2] == '\r' && m_units.back() == 0) {
            m_units.resize(m_units.size() - 2);
        }
        const int count = static_cast<int>(m_units.size() / 2);
        const int size = ConvertUtf16Le(m_units.data(), count, CodePage::Utf8, nullptr, 0);
        line->resize(size);
        ConvertUtf16Le(m_units.data(), count, CodePage::Utf8, line->data(), size);
        return true;
    }

    std::FILE* m_file;
    std::uint64_t m_read = 0;
    bool m_utf16 = false;
    std::vector<unsigned char> m_units;  // little-endian UTF-16 of the current line
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

void SetValue(RegistryValues* values, std::string name, std::string value) {
    for (auto& entry : *values) {
        if (EqualsIgnoringCase(entry.first, name)) {
            entry.second = std::move(value);
            return;
        }
    }
    values->emplace_back(std::move(name), std::move(value));
}

// The key's values from the export at `path`; `refusal` says why a file cannot be used as an export
// at all (and nothing it held counts).
bool ReadKey(const char* path, std::string_view subKey, RegistryValues* values, std::string* refusal) {
    FileCheck check;
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path, kMaxExportBytes, &check));
    if (!file) {
        *refusal = check.reason;
        return false;
    }
    LineReader reader(file.get());
    std::string line;
    bool overlong = false;
    if (!reader.Next(&line, &overlong)) {
        *refusal = "is empty";
        return false;
    }
    const std::string_view header = Trim(line);
    if (header != "Windows Registry Editor Version 5.00" && header != "REGEDIT4") {
        *refusal =
            "is not a registry export (it does not begin with REGEDIT4 or Windows Registry Editor Version "
            "5.00)";
        return false;
    }

    std::string wanted(kHive);
    wanted += subKey;
    bool found = false;
    bool inKey = false;
    std::string name;
    std::string value;
    while (reader.Next(&line, &overlong)) {
        const std::string_view text = Trim(line);
        if (!text.empty() && text.front() == '[') {
            // A cut header still tells whether it lies below the key; it can never be the key itself.
            const bool closed = !overlong && text.back() == ']';
            const std::string_view key = text.substr(1, closed ? text.size() - 2 : std::string_view::npos);
            inKey = closed && EqualsIgnoringCase(key, wanted);
            const bool below = key.size() > wanted.size() && key[wanted.size()] == '\\' &&
                               EqualsIgnoringCase(key.substr(0, wanted.size()), wanted);
            found = found || inKey || below;
        } else if (inKey && !overlong && ParseStringValue(text, &name, &value)) {
            SetValue(values, name, value);
        }
    }
    if (reader.TooLarge()) {
        *refusal = "is larger than " + SizeText(kMaxExportBytes);
        return false;
    }
    return found;
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

bool ReadRegistryExport(const char* path, std::string_view subKey, RegistryValues* values,
                        std::string* problem) {
    values->clear();
    std::string refusal;
    const bool found = ReadKey(path, subKey, values, &refusal);
    if (!refusal.empty()) {
        values->clear();
    }
    if (problem) {
        *problem = std::move(refusal);
    }
    return found && refusal.empty();
}

}  // namespace platform
