// Name comparison of the reader: ASCII letters fold together, every other byte must match.
#pragma once

namespace config {

inline char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualIgnoringCase(const char* a, const char* b) {
    for (; FoldAscii(*a) == FoldAscii(*b); ++a, ++b) {
        if (*a == '\0') {
            return true;
        }
    }
    return false;
}

// True when `text` begins with `prefix`, ignoring ASCII case; stops at the first difference, so
// a shorter zero-terminated text is never read past its end.
inline bool StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (FoldAscii(*text) != FoldAscii(*prefix)) {
            return false;
        }
    }
    return true;
}

}  // namespace config
