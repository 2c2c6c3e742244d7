// UTF-16 text as the little-endian bytes a "Unicode" file holds, for tests of the readers.
#pragma once

#include <string>

inline std::string Utf16LeBytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}
