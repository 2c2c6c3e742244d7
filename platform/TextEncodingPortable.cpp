#include "platform/TextEncodingPortable.h"

#include <climits>
#include <cstdint>

namespace platform::portable {

namespace {

unsigned UnitAt(const unsigned char* units, int index) {
    return units[2 * index] | static_cast<unsigned>(units[2 * index + 1]) << 8;
}

// Windows-1252 bytes 0x80..0x9F by the code point they stand for; the five bytes the page
// leaves undefined map to the C1 controls of the same value, as Windows maps them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToCp1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<char>(codePoint);
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == codePoint) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

// Appends the encoding of `codePoint` at `out + size` when it fits; returns the new size.
int64_t Put(char32_t codePoint, CodePage target, char* out, int outSize, int64_t size) {
    char bytes[4];
    int length = 0;
    if (target == CodePage::Ansi) {
        bytes[length++] = ToCp1252(codePoint);
    } else if (codePoint < 0x80) {
        bytes[length++] = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        bytes[length++] = static_cast<char>(0xC0 | codePoint >> 6);
        bytes[length++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes[length++] = static_cast<char>(0xE0 | codePoint >> 12);
        bytes[length++] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        bytes[length++] = static_cast<char>(0xF0 | codePoint >> 18);
        bytes[length++] = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    for (int i = 0; i < length; ++i, ++size) {
        if (out && size < outSize) {
            out[size] = bytes[i];
        }
    }
    return size;
}

}  // namespace

bool IsUtf16Text(const void* bytes, int count) {
    const auto* b = static_cast<const unsigned char*>(bytes);
    if (count < 2 || (b[0] == 0xFE && b[1] == 0xFF)) {
        return false;
    }
    if (b[0] == 0xFF && b[1] == 0xFE) {
        return true;
    }
    if (count % 2 != 0) {
        return false;
    }
    int narrow = 0;
    for (int i = 0; i < count; i += 2) {
        narrow += b[i] != 0 && b[i + 1] == 0;
    }
    return narrow * 2 >= count / 2;
}

int ConvertUtf16Le(const unsigned char* units, int unitCount, CodePage target, char* out, int outSize) {
    int64_t size = 0;
    for (int i = 0; i < unitCount && size < INT_MAX; ++i) {
        char32_t codePoint = UnitAt(units, i);
        // The ANSI page is mapped unit by unit, as Windows maps it: a pair gives two '?'.
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF && target == CodePage::Utf8) {
            unsigned low = i + 1 < unitCount ? UnitAt(units, i + 1) : 0;
            if (codePoint <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            } else {
                codePoint = 0xFFFD;
            }
        }
        size = Put(codePoint, target, out, outSize, size);
    }
    if (size >= INT_MAX || (out && size > outSize)) {
        return 0;
    }
    return static_cast<int>(size);
}

}  // namespace platform::portable
