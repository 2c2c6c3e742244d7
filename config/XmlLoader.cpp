#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "config/Xml.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/TextEncoding.h"

namespace config {

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

// The whole file, opened once; false when it cannot be read (XmlErrorFileNotFound). Paths name
// files the Windows way.
bool ReadFileBytes(const char* path, std::string* bytes) {
    const platform::File file = platform::OpenForReading(platform::NativePath(path).c_str(), XmlMaxFileBytes);
    return file && platform::ReadWhole(file.get(), XmlMaxFileBytes, bytes) == platform::ReadResult::Ok;
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

// The file's bytes parsed: empty is code 3; a copy padded with kPadding zero bytes ends the text in
// every encoding and UTF-16.
XmlNode LoadBytes(std::string bytes, const char* firstTag, XmlResults* results) {
    if (results) {
        results->line = 0;
        results->column = 0;
    }
    if (bytes.empty()) {
        return Fail(results, XmlErrorNoData);
    }
    if (bytes.size() > static_cast<std::size_t>(XmlMaxFileBytes)) {
        return Fail(results, XmlErrorFileNotFound);
    }
    bytes.append(kPadding, '\0');
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

// The report of a load that gave `results`, with the document it returned.
XmlNode Report(const char* path, const char* firstTag, XmlNode document, const XmlResults& results,
               char* report, int reportSize) {
    if (results.error == XmlErrorNone) {
        return document;
    }
    const bool firstTagMissing = results.error == XmlErrorFirstTagNotFound;
    std::string text = fmt::format("ERROR: XML parsing file '{}'. {} at line {}, column {}. {}{}{}",
                                   path ? path : "", ErrorText(results.error), results.line, results.column,
                                   firstTagMissing ? "First Tag should be '" : "",
                                   firstTagMissing ? firstTag : "", firstTagMissing ? "'.\n" : "");
    // The message box's text is kept to the report's old capacity, as a caller's report is to its size.
    if (text.size() >= kReportCapacity) {
        text.resize(kReportCapacity - 1);
    }
    if (!report) {
        platform::ShowErrorMessageBox("XML Parsing error", text.c_str());
        std::exit(255);
    }
    CopyCut(report, reportSize, text.c_str());
    return document;
}

}  // namespace

XmlNode LoadFile(const char* path, const char* firstTag, XmlResults* results) {
    std::string bytes;
    if (!path || !ReadFileBytes(path, &bytes)) {
        if (results) {
            results->line = 0;
            results->column = 0;
        }
        return Fail(results, XmlErrorFileNotFound);
    }
    return LoadBytes(std::move(bytes), firstTag, results);
}

XmlNode LoadBytesWithReport(const char* path, const std::string& bytes, const char* firstTag, char* report,
                            int reportSize) {
    const int head = static_cast<int>(std::min<std::size_t>(bytes.size(), kDeclarationBytes));
    SetEncoding(DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), head, true));
    XmlResults results{};
    XmlNode document = LoadBytes(bytes, firstTag, &results);
    return Report(path, firstTag, document, results, report, reportSize);
}

// The file is read once: the encoding is judged on the bytes that are then parsed. When it
// cannot be read the setting is left alone.
XmlNode LoadFileWithReport(const char* path, const char* firstTag, char* report, int reportSize) {
    std::string bytes;
    if (path && ReadFileBytes(path, &bytes)) {
        return LoadBytesWithReport(path, bytes, firstTag, report, reportSize);
    }
    const XmlResults results{XmlErrorFileNotFound, 0, 0};
    return Report(path, firstTag, XmlNode(), results, report, reportSize);
}

}  // namespace config
