// Hexadecimal numbers in configuration text, read as the C library's formatted input reads "%x".
#pragma once

#include <cstdint>

namespace config {

// Skips leading whitespace, takes an optional sign and an optional 0x or 0X, then every
// hexadecimal digit that follows. The value wraps as the unsigned conversion does (a minus sign
// negates it modulo 2^32). Returns the position after the number, or null when no digit follows
// (also for a 0x with no digit after it, which the formatted input rejects as well).
const char* ScanHexNumber(const char* text, uint32_t* value);

}  // namespace config
