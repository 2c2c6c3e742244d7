#include "app/ArgumentText.h"

namespace qtui {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when it is not one
// (overlong forms, surrogates and code points past U+10FFFF are not).
int Sequence(const QByteArray& bytes, qsizetype at, char32_t* point) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        *point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *point = value;
    return length;
}

}  // namespace

QString DecodeArgument(const QByteArray& bytes) {
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t point = 0;
        if (const int length = Sequence(bytes, at, &point)) {
            text += QString::fromUcs4(&point, 1);
            at += length;
        } else {
            text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at])));
            ++at;
        }
    }
    return text;
}

QByteArray EncodeArgument(const QString& text) {
    QByteArray bytes;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar unit = text[at];
        // A lone low surrogate from the escape range (pairs are taken whole below) is its byte.
        if (unit.unicode() >= kEscapeBase + 0x80 && unit.unicode() <= kEscapeBase + 0xFF) {
            bytes += static_cast<char>(unit.unicode() - kEscapeBase);
            continue;
        }
        qsizetype length = 1;
        if (unit.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            length = 2;
        }
        bytes += text.mid(at, length).toUtf8();
        at += length - 1;
    }
    return bytes;
}

}  // namespace qtui
