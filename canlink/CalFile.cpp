#include "canlink/CalFile.h"

#include <cstring>

#include "config/HexNumber.h"

using config::ScanHexNumber;

namespace canlink {

namespace {

// The 260-byte line buffer the host application reads its CAL files with.
constexpr int kLineSize = 260;
constexpr char kToken[] = "MACADDRESS";
constexpr int kTokenLength = sizeof(kToken) - 1;

// ASCII only: the separators must not depend on the locale the user interface sets.
bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsTokenLine(const char* line) {
    for (int i = 0; i < kTokenLength; ++i) {
        if (Upper(line[i]) != kToken[i]) {
            return false;
        }
    }
    return true;
}

bool ReadValues(const char* text, uint8_t mac[6]) {
    uint8_t bytes[6];
    for (uint8_t& byte : bytes) {
        while (*text != '\0' && !IsAlnum(*text)) {
            ++text;
        }
        uint32_t value = 0;
        text = ScanHexNumber(text, &value);
        if (!text) {
            return false;
        }
        byte = static_cast<uint8_t>(value);
        while (IsAlnum(*text)) {
            ++text;
        }
    }
    std::memcpy(mac, bytes, sizeof(bytes));
    return true;
}

// The next piece as fgets takes it: up to kLineSize - 1 bytes, ending after a line feed. False at
// the end of the file with nothing read.
bool ReadPiece(std::FILE* file, char (&line)[kLineSize], std::uint64_t* total) {
    int length = 0;
    for (int c; length < kLineSize - 1 && (c = std::getc(file)) != EOF;) {
        line[length++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    line[length] = '\0';
    *total += static_cast<std::uint64_t>(length);
    return length > 0;
}

}  // namespace

CalMac ReadCalFileMac(std::FILE* file, uint8_t mac[6]) {
    char line[kLineSize];
    std::uint64_t total = 0;
    while (ReadPiece(file, line, &total)) {
        if (total > kMaxCalFileBytes) {
            return CalMac::TooLarge;
        }
        if (IsTokenLine(line)) {
            return ReadValues(line + kTokenLength, mac) ? CalMac::Found : CalMac::Unreadable;
        }
    }
    return std::ferror(file) ? CalMac::ReadFailed : CalMac::NoToken;
}

}  // namespace canlink
