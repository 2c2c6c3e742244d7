#include <cstring>

#include "config/Xml.h"
#include "config/XmlEncoding.h"
#include "config/XmlName.h"
#include "platform/TextEncoding.h"

namespace config {

namespace {

constexpr int kFewestBytes = 25;
constexpr int kDeclarationBytes = 200;

// UTF-8 unless a lead byte is followed, within `count`, by a byte outside 0x80..0xBF. Bytes that
// cannot start a sequence are accepted on their own.
int GuessUtf8(const unsigned char* bytes, int count) {
    const XmlCharLengths& lengths = CharLengthsOf(XmlEncodingUtf8);
    for (int i = 0; i < count && bytes[i] != 0; i += lengths[bytes[i]]) {
        for (int k = 1; k < lengths[bytes[i]] && i + k < count; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return XmlEncodingSingleByte;
            }
        }
    }
    return XmlEncodingUtf8;
}

const char* SkipSpace(const char* p) {
    while (IsXmlSpace(*p)) {
        ++p;
    }
    return p;
}

// The start of the name in `encoding = "name"`, or null when the head holds no such setting.
const char* FindDeclaredName(const char* head) {
    const char* p = std::strstr(head, "encoding");
    if (!p) {
        return nullptr;
    }
    p = SkipSpace(p + std::strlen("encoding"));
    if (*p != '=') {
        return nullptr;
    }
    p = SkipSpace(p + 1);
    if (*p != '"' && *p != '\'') {
        return nullptr;
    }
    return SkipSpace(p + 1);
}

}  // namespace

int DetectEncoding(const unsigned char* bytes, int count, bool useDeclaration) {
    if (!bytes || count < kFewestBytes || platform::IsUtf16Text(bytes, count)) {
        return XmlEncodingUndecided;
    }
    if (bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return XmlEncodingUtf8;
    }
    const int guess = GuessUtf8(bytes, count);
    if (!useDeclaration) {
        return guess;
    }
    char head[kDeclarationBytes + 1];
    const int headLength = count < kDeclarationBytes ? count : kDeclarationBytes;
    std::memcpy(head, bytes, headLength);
    head[headLength] = '\0';
    const char* name = FindDeclaredName(head);
    if (!name) {
        return guess;
    }
    if (StartsWithIgnoringCase(name, "utf-8") || StartsWithIgnoringCase(name, "utf8")) {
        return guess == XmlEncodingUtf8 ? XmlEncodingUtf8 : XmlEncodingUndecided;
    }
    if (StartsWithIgnoringCase(name, "shiftjis") || StartsWithIgnoringCase(name, "shift-jis") ||
        StartsWithIgnoringCase(name, "sjis")) {
        return XmlEncodingShiftJis;
    }
    return XmlEncodingSingleByte;
}

}  // namespace config
