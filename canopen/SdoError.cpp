#include "canopen/SdoError.h"

#include <charconv>
#include <string>

namespace canopen {
namespace {

class SdoCategoryImpl final : public std::error_category {
public:
    const char* name() const noexcept override { return "SDO"; }

    std::string message(int value) const override {
        // No default: a code added to the enum without its words fails the build (-Wswitch).
        switch (static_cast<SdoErrc>(value)) {
            case SdoErrc::Toggle:
                return "toggle bit not alternated";
            case SdoErrc::Timeout:
                return "SDO protocol timed out";
            case SdoErrc::Command:
                return "command not valid or unknown";
            case SdoErrc::OutOfMemory:
                return "out of memory";
            case SdoErrc::ReadOnly:
                return "the object is read-only";
            case SdoErrc::NoObject:
                return "the object does not exist";
            case SdoErrc::LengthMismatch:
                return "the length does not match the object";
            case SdoErrc::LengthTooHigh:
                return "the data is longer than expected";
            case SdoErrc::General:
                return "general error";
        }
        char hex[8];
        const auto end = std::to_chars(hex, hex + sizeof hex, static_cast<uint32_t>(value), 16).ptr;
        return "abort code 0x" + std::string(hex, end);
    }
};

}  // namespace

const std::error_category& SdoCategory() noexcept {
    static const SdoCategoryImpl category;
    return category;
}

std::error_code make_error_code(SdoErrc code) noexcept {
    return {static_cast<int>(code), SdoCategory()};
}

}  // namespace canopen
