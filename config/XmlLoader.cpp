#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/Xml.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/TextEncoding.h"

namespace {

// Room after the file's data: zero bytes that end the text in every encoding and UTF-16.
constexpr int kPadding = 4;
constexpr int kReportCapacity = 2000;
constexpr int kDeclarationBytes = 200;

XmlNode Fail(XmlResults* results, int code) {
    if (results) {
        results->error = code;
    }
    return XmlNode();
}

// The whole file followed by kPadding zero bytes (malloc'd), or null with the failure code.
unsigned char* ReadWholeFile(const char* path, int* size, int* code) {
    std::FILE* file = platform::OpenForReading(path, XmlMaxFileBytes);
    if (!file) {
        *code = XmlErrorFileNotFound;
        return nullptr;
    }
    std::string bytes;
    const platform::ReadResult read = platform::ReadWhole(file, XmlMaxFileBytes, &bytes);
    std::fclose(file);
    unsigned char* buffer = nullptr;
    if (read != platform::ReadResult::Ok) {
        *code = XmlErrorFileNotFound;
    } else if (bytes.empty()) {
        *code = XmlErrorNoData;
    } else if (!(buffer = static_cast<unsigned char*>(std::malloc(bytes.size() + kPadding)))) {
        *code = XmlErrorFileNotFound;
    } else {
        std::memcpy(buffer, bytes.data(), bytes.size());
        std::memset(buffer + bytes.size(), 0, kPadding);
        *size = static_cast<int>(bytes.size());
    }
    return buffer;
}

// The UTF-16 text at `units` up to its first zero character (at most `limit` units), converted
// to the current encoding's family: UTF-8 for UTF-8, the ANSI code page otherwise.
char* ConvertUtf16(const unsigned char* units, int limit) {
    int count = 0;
    while (count < limit && (units[2 * count] | units[2 * count + 1]) != 0) {
        ++count;
    }
    const platform::CodePage target =
        GetEncoding() == XmlEncodingUtf8 ? platform::CodePage::Utf8 : platform::CodePage::Ansi;
    const int size = count > 0 ? platform::ConvertUtf16Le(units, count, target, nullptr, 0) : 0;
    if (count > 0 && size == 0) {
        return nullptr;
    }
    auto* text = static_cast<char*>(std::malloc(size + 1));
    if (text) {
        platform::ConvertUtf16Le(units, count, target, text, size);
        text[size] = '\0';
    }
    return text;
}

void CopyCut(char* destination, int capacity, const char* text) {
    if (capacity <= 0) {
        return;
    }
    size_t length = std::strlen(text);
    if (length >= static_cast<size_t>(capacity)) {
        length = capacity - 1;
    }
    std::memcpy(destination, text, length);
    destination[length] = '\0';
}

}  // namespace

XmlNode LoadFile(const char* path, const char* firstTag, XmlResults* results) {
    if (results) {
        results->line = 0;
        results->column = 0;
    }
    if (!path) {
        return Fail(results, XmlErrorFileNotFound);
    }
    int size = 0;
    int code = XmlErrorNone;
    unsigned char* buffer = ReadWholeFile(path, &size, &code);
    if (!buffer) {
        return Fail(results, code);
    }
    char* converted = nullptr;
    const char* text = reinterpret_cast<const char*>(buffer);
    if (platform::IsUtf16Text(buffer, size)) {
        // FF FE is the byte-order mark; EF FF has always been skipped as well.
        const int skip =
            (buffer[0] == 0xFF && buffer[1] == 0xFE) || (buffer[0] == 0xEF && buffer[1] == 0xFF) ? 2 : 0;
        converted = ConvertUtf16(buffer + skip, (size + kPadding - skip) / 2);
        std::free(buffer);
        if (!converted) {
            return Fail(results, XmlErrorWideCharConversion);
        }
        buffer = nullptr;
        text = converted;
    } else if (buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF) {
        text += 3;
    }
    XmlNode document = ParseText(text, firstTag, results);
    std::free(buffer);
    std::free(converted);
    return document;
}

XmlNode LoadFileWithReport(const char* path, const char* firstTag, char* report, int reportSize) {
    if (std::FILE* file = path ? platform::OpenForReading(path, XmlMaxFileBytes) : nullptr) {
        unsigned char head[kDeclarationBytes];
        const int count = static_cast<int>(std::fread(head, 1, sizeof(head), file));
        std::fclose(file);
        SetEncoding(DetectEncoding(head, count, true));  // undecided keeps the previous setting
    }
    XmlResults results{};
    XmlNode document = LoadFile(path, firstTag, &results);
    if (results.error == XmlErrorNone) {
        return document;
    }
    const bool firstTagMissing = results.error == XmlErrorFirstTagNotFound;
    char text[kReportCapacity];
    std::snprintf(text, sizeof(text), "ERROR: XML parsing file '%s'. %s at line %i, column %i. %s%s%s",
                  path ? path : "", ErrorText(results.error), results.line, results.column,
                  firstTagMissing ? "First Tag should be '" : "", firstTagMissing ? firstTag : "",
                  firstTagMissing ? "'.\n" : "");
    if (!report) {
        platform::ShowErrorMessageBox("XML Parsing error", text);
        std::exit(255);
    }
    CopyCut(report, reportSize, text);
    return document;
}
