#include "config/XmlEncoding.h"

#include "config/Xml.h"

namespace config {

namespace {

constexpr XmlCharLengths Utf8Lengths() {
    XmlCharLengths lengths{};
    for (int b = 1; b < 256; ++b) {
        lengths[b] = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 1;
    }
    return lengths;
}

constexpr XmlCharLengths SingleByteLengths() {
    XmlCharLengths lengths{};
    for (int b = 1; b < 256; ++b) {
        lengths[b] = 1;
    }
    return lengths;
}

constexpr XmlCharLengths ShiftJisLengths() {
    XmlCharLengths lengths{};
    for (int b = 1; b < 256; ++b) {
        lengths[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) ? 2 : 1;
    }
    return lengths;
}

constexpr XmlCharLengths kTables[3] = {Utf8Lengths(), SingleByteLengths(), ShiftJisLengths()};

int g_encoding = XmlEncodingUtf8;

}  // namespace

const XmlCharLengths& CharLengthsOf(int encoding) {
    return kTables[encoding - 1];
}

const XmlCharLengths& CurrentCharLengths() {
    return CharLengthsOf(g_encoding);
}

bool SetEncoding(int encoding) {
    if (encoding < XmlEncodingUtf8 || encoding > XmlEncodingShiftJis) {
        return false;
    }
    g_encoding = encoding;
    return true;
}

int GetEncoding() {
    return g_encoding;
}

}  // namespace config
