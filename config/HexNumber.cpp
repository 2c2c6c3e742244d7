#include "config/HexNumber.h"

namespace config {

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

const char* ScanHexNumber(const char* text, uint32_t* value) {
    while (IsSpace(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
    }
    if (DigitValue(*text) < 0) {
        return nullptr;
    }
    uint32_t result = 0;
    for (int digit; (digit = DigitValue(*text)) >= 0; ++text) {
        result = result << 4 | static_cast<uint32_t>(digit);
    }
    *value = negative ? 0u - result : result;
    return text;
}

}  // namespace config
