#include "bench/ObjectDictionary.h"

#include <algorithm>
#include <cstring>

namespace bench {
namespace {

struct Entry {
    int index;
    int subIndex;
    int width;  // bytes; 0 for the text
    bool writable;
};

constexpr Entry kEntries[] = {
    {0x1018, 3, 4, false}, {0x100A, 0, 0, false}, {0x1802, 1, 4, true},
    {0x1A02, 0, 1, true},  {0x2010, 5, 1, true},
};

const Entry* Find(int index, int subIndex) {
    for (const Entry& entry : kEntries) {
        if (entry.index == index && entry.subIndex == subIndex) {
            return &entry;
        }
    }
    return nullptr;
}

// Numeric objects cross in the host's byte order, as the tool reads them into plain integers.
template <typename T>
void Copy(T value, uint8_t* out) {
    std::memcpy(out, &value, sizeof value);
}

template <typename T>
T Take(const uint8_t* in) {
    T value;
    std::memcpy(&value, in, sizeof value);
    return value;
}

}  // namespace

SdoOutcome ReadObject(const ObjectDictionary& od, int index, int subIndex, uint8_t* buffer, int size) {
    const Entry* entry = Find(index, subIndex);
    if (!entry) {
        return SdoOutcome::Aborted(SdoErrc::NoObject);
    }
    if (entry->width == 0) {
        const size_t count = std::min(od.versionText.size(), static_cast<size_t>(size));
        if (count > 0) {  // an empty text has no storage to copy from
            std::memcpy(buffer, od.versionText.data(), count);
        }
        return {true, static_cast<uint32_t>(count)};
    }
    if (size != entry->width) {
        return SdoOutcome::Aborted(SdoErrc::LengthMismatch);
    }
    if (entry->width == 4) {
        Copy(NumericValue(od, index, subIndex), buffer);
    } else {
        Copy(static_cast<uint8_t>(NumericValue(od, index, subIndex)), buffer);
    }
    return {true, static_cast<uint32_t>(size)};
}

SdoOutcome WriteObject(ObjectDictionary& od, int index, int subIndex, const uint8_t* data, int size) {
    const Entry* entry = Find(index, subIndex);
    if (!entry) {
        return SdoOutcome::Aborted(SdoErrc::NoObject);
    }
    if (!entry->writable) {
        return SdoOutcome::Aborted(SdoErrc::ReadOnly);
    }
    if (size != entry->width) {
        return SdoOutcome::Aborted(SdoErrc::LengthMismatch);
    }
    if (index == 0x1802) {
        od.tpdo3CobId = Take<uint32_t>(data);
    } else if (index == 0x1A02) {
        od.tpdo3Mapped = data[0];
    } else {
        od.associationControl = data[0];
    }
    return {true, static_cast<uint32_t>(size)};
}

uint32_t NumericValue(const ObjectDictionary& od, int index, int subIndex) {
    const Entry* entry = Find(index, subIndex);
    if (!entry || entry->width == 0) {
        return 0;
    }
    switch (index) {
        case 0x1018:
            return od.revision;
        case 0x1802:
            return od.tpdo3CobId;
        case 0x1A02:
            return od.tpdo3Mapped;
        default:
            return od.associationControl;
    }
}

}  // namespace bench
