// The base remote's object dictionary and what an SDO transfer does to it.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

// The SDO abort codes the bench answers with. A copy of canopen's SdoErrc, names and values
// alike: the bench stands in for a device that shares no code with the client.
enum class SdoErrc : uint32_t {
    Timeout = 0x05040000,         // no node answered
    ReadOnly = 0x06010002,        // write to a constant object
    NoObject = 0x06020000,        // not in the dictionary
    LengthMismatch = 0x06070010,  // size differs from the object's
    General = 0x08000000,         // the node refused
};

// The out-value of a transfer: the bytes moved on success, the abort code on failure.
struct SdoOutcome {
    bool ok;
    uint32_t outValue;

    static SdoOutcome Aborted(SdoErrc code) { return {false, static_cast<uint32_t>(code)}; }
};

struct ObjectDictionary {
    uint32_t revision = 0;             // 0x1018/3
    std::vector<uint8_t> versionText;  // 0x100A/0
    uint32_t tpdo3CobId = 0;           // 0x1802/1
    uint8_t tpdo3Mapped = 0;           // 0x1A02/0
    uint8_t associationControl = 0;    // 0x2010/5
};

// A numeric object moves exactly its width; the version text copies at most `size` bytes and no
// terminating zero, like the upload of a visible string.
SdoOutcome ReadObject(const ObjectDictionary& od, int index, int subIndex, uint8_t* buffer, int size);
SdoOutcome WriteObject(ObjectDictionary& od, int index, int subIndex, const uint8_t* data, int size);
// The current value of a numeric object; 0 for the text and for unknown objects.
uint32_t NumericValue(const ObjectDictionary& od, int index, int subIndex);

}  // namespace bench
