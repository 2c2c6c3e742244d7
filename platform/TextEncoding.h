// UTF-16 recognition and conversion for configuration files saved as "Unicode" text.
#pragma once

#include <string>

namespace platform {

// Whether `count` bytes hold UTF-16 text. A leading FF FE byte-order mark says yes. Otherwise,
// Windows: IsTextUnicode with every test. Elsewhere: FE FF says no; otherwise the length must be
// even and at least half of the little-endian code units must lie in U+0001..U+00FF (their
// high byte zero, their low byte not), which 8-bit text, having no zero bytes, never shows.
bool IsUtf16Text(const void* bytes, int count);

enum class CodePage {
    Utf8,
    Ansi,  // the system's ANSI code page; Windows-1252 where there is no system to ask
};

// Converts `unitCount` little-endian UTF-16 code units at `units` (two bytes each, aligned for
// 16-bit access) into `target`, without a terminating zero. With `out` null, returns the size the
// result needs; otherwise writes it into `out` (room for `outSize` bytes) and returns its size.
// 0 means failure: no units, a result that does not fit `outSize` or would exceed INT_MAX bytes.
// Unpaired surrogates become U+FFFD in UTF-8. Characters the ANSI page lacks become '?', one for
// each unit (a surrogate pair gives two), never a look-alike character of the page.
int ConvertUtf16Le(const unsigned char* units, int unitCount, CodePage target, char* out, int outSize);

// Text from the system's narrow functions and environment (a host name, a path) as UTF-8: on
// Windows converted from the ANSI code page; elsewhere such text is already in the encoding files
// use, and is returned as it is.
std::string SystemTextToUtf8(const std::string& text);

}  // namespace platform
