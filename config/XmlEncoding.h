// Character-length tables of the three encodings: for the first byte of a character, how many
// bytes the character takes (0 for the terminating zero byte).
#pragma once

#include <array>

namespace config {

using XmlCharLengths = std::array<unsigned char, 256>;

// The table of the current encoding setting.
const XmlCharLengths& CurrentCharLengths();
const XmlCharLengths& CharLengthsOf(int encoding);  // 1, 2 or 3

// The start of the character after the one at `p`. A character cut short by the terminating zero
// ends at that zero, so a lead byte at the end of a text never steps past it.
inline const char* NextChar(const XmlCharLengths& lengths, const char* p) {
    const unsigned char lead = static_cast<unsigned char>(*p);
    // Every byte below 0x80 but zero is a whole character in all three encodings.
    if (lead - 1u < 0x7Fu) {
        return p + 1;
    }
    const unsigned length = lengths[lead];
    if (length <= 1) {
        return p + length;
    }
    for (unsigned i = 1; i < length; ++i) {
        if (p[i] == '\0') {
            return p + i;
        }
    }
    return p + length;
}

inline bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace config
