#include "canbus/CanFrame.h"

namespace canbus {

CanFrame MakeFrame(uint32_t id, std::initializer_list<uint8_t> bytes) {
    CanFrame frame;
    frame.id = id;
    for (uint8_t byte : bytes) {
        if (frame.length == kMaxFrameBytes) {
            break;
        }
        frame.data[frame.length++] = byte;
    }
    return frame;
}

bool IsValid(const CanFrame& frame) {
    return frame.id <= (frame.extended ? kMaxExtendedId : kMaxStandardId) && frame.length <= kMaxFrameBytes;
}

}  // namespace canbus
