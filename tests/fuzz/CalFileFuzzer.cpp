// The CAL file reader on any bytes: the MAC is written only when it is found, a found or
// unreadable token line means the token is really there, and a file without the token anywhere
// reads as having none.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "canlink/CalFile.h"

using canlink::CalMac;
using canlink::ReadCalFileMac;

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool HoldsToken(const uint8_t* data, size_t size) {
    static constexpr char kToken[] = "MACADDRESS";
    for (size_t at = 0; at + 10 <= size; ++at) {
        size_t i = 0;
        while (i < 10 && Upper(static_cast<char>(data[at + i])) == kToken[i]) {
            ++i;
        }
        if (i == 10) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : std::tmpfile();
    if (!file) {
        return 0;
    }
    uint8_t mac[6] = {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5};
    const uint8_t untouched[6] = {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5};
    const CalMac result = ReadCalFileMac(file, mac);
    std::fclose(file);
    if (result != CalMac::Found && std::memcmp(mac, untouched, sizeof mac) != 0) {
        std::abort();
    }
    if ((result == CalMac::Found || result == CalMac::Unreadable) && !HoldsToken(data, size)) {
        std::abort();
    }
    if (result == CalMac::TooLarge) {
        std::abort();  // the fuzzer's inputs are far below the limit
    }
    return 0;
}
