// The MACADDRESS line of the older host application's per-computer CAL file.
#pragma once

#include <cstdint>
#include <cstdio>

namespace canlink {

enum class CalMac {
    Found,
    NoToken,     // no line begins with MACADDRESS
    Unreadable,  // the first such line does not hold six hexadecimal values
    TooLarge,    // more than kMaxCalFileBytes came before any such line
    ReadFailed,  // reading failed before any such line
};

// Largest CAL file read: a computer's CAL file is a few kilobytes of settings; anything this large
// is some other file, and reading on would only cost time.
constexpr std::uint64_t kMaxCalFileBytes = 16 * 1024 * 1024;

// Reads `file` line by line in pieces of at most 259 characters, each piece of a
// longer line taken as a line of its own, up to the first that begins with MACADDRESS in any case.
// After the token, six values such as 00-11-22-33-44-55, 00:11:22:33:44:55 or 0x00,0x11,...:
// each a hexadecimal number at the start of a run of letters and digits (the rest of the run is
// ignored), runs separated by anything else, the low 8 bits of each kept. `mac` is written only
// when the result is Found. The bytes are counted as they are read, so a file that grows or a
// device never keeps the reader going past kMaxCalFileBytes.
CalMac ReadCalFileMac(std::FILE* file, uint8_t mac[6]);

}  // namespace canlink
