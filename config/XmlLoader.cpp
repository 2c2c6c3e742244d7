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

// The whole file followed by kPadding zero bytes in `bytes`, or false with the failure code.
bool ReadWholeFile(const char* path, std::string* bytes, int* code) {
    std::FILE* file = platform::OpenForReading(path, XmlMaxFileBytes);
    if (!file) {
        *code = XmlErrorFileNotFound;
        return false;
    }
    const platform::ReadResult read = platform::ReadWhole(file, XmlMaxFileBytes, bytes);
    std::fclose(file);
    if (read != platform::ReadResult::Ok) {
        *code = XmlErrorFileNotFound;
        return false;
    }
    if (bytes->empty()) {
        *code = XmlErrorNoData;
        return false;
    }
    bytes->append(kPadding, '\0');
    return true;
}

// The UTF-16 text at `units` up to its first zero character (at most `limit` units), converted
// to the current encoding's family: UTF-8 for UTF-8, the ANSI code page otherwise. False when
// the conversion fails.
bool ConvertUtf16(const unsigned char* units, int limit, std::string* text) {
    int count = 0;
    while (count < limit && (units[2 * count] | units[2 * count + 1]) != 0) {
        ++count;
    }
    const platform::CodePage target =
        GetEncoding() == XmlEncodingUtf8 ? platform::CodePage::Utf8 : platform::CodePage::Ansi;
    const int size = count > 0 ? platform::ConvertUtf16Le(units, count, target, nullptr, 0) : 0;
    if (count > 0 && size == 0) {
        return false;
    }
    text->assign(static_cast<size_t>(size), '\0');
    if (size > 0) {
        platform::ConvertUtf16Le(units, count, target, text->data(), size);
    }
    return true;
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
    std::string bytes;
    int code = XmlErrorNone;
    if (!ReadWholeFile(path, &bytes, &code)) {
        return Fail(results, code);
    }
    const auto* buffer = reinterpret_cast<const unsigned char*>(bytes.data());
    const int size = static_cast<int>(bytes.size()) - kPadding;
    const char* text = bytes.c_str();
    std::string converted;
    if (platform::IsUtf16Text(buffer, size)) {
        // FF FE is the byte-order mark; EF FF has always been skipped as well.
        const int skip =
            (buffer[0] == 0xFF && buffer[1] == 0xFE) || (buffer[0] == 0xEF && buffer[1] == 0xFF) ? 2 : 0;
        if (!ConvertUtf16(buffer + skip, (size + kPadding - skip) / 2, &converted)) {
            return Fail(results, XmlErrorWideCharConversion);
        }
        text = converted.c_str();
    } else if (buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF) {
        text += 3;
    }
    return ParseText(text, firstTag, results);
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
