#include "canopen/Sdo.h"

#include <algorithm>

namespace canopen::sdo {
namespace {

void PutAddress(Payload& frame, uint16_t index, uint8_t subIndex) {
    frame[1] = static_cast<uint8_t>(index & 0xFF);
    frame[2] = static_cast<uint8_t>(index >> 8);
    frame[3] = subIndex;
}

void PutU32(Payload& frame, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        frame[4 + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t GetU32(const Payload& frame) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(frame[4 + i]) << (8 * i);
    }
    return value;
}

}  // namespace

Response Classify(const Payload& frame) {
    switch (frame[0] & kCommandMask) {
        case kResponseSegmentUpload:
            return Response::UploadSegment;
        case kResponseSegmentDownload:
            return Response::DownloadSegment;
        case kResponseUpload:
            return Response::UploadInitiate;
        case kResponseDownload:
            return Response::DownloadInitiate;
        case kResponseAborted:
            return Response::Abort;
        default:
            return Response::Other;
    }
}

Payload UploadInitiate(uint16_t index, uint8_t subIndex) {
    Payload frame{kRequestUpload};
    PutAddress(frame, index, subIndex);
    return frame;
}

Payload UploadSegment(bool toggle) {
    return Payload{static_cast<uint8_t>(kRequestSegmentUpload | (toggle ? kToggleBit : 0))};
}

Payload DownloadExpedited(uint16_t index, uint8_t subIndex, const uint8_t* data, uint8_t size) {
    // Expedited, size indicated: n = bytes of the four that carry no data.
    Payload frame{static_cast<uint8_t>(kRequestDownload | kExpedited | kSizeSpecified | ((4 - size) << 2))};
    PutAddress(frame, index, subIndex);
    std::copy_n(data, size, frame.begin() + 4);
    return frame;
}

Payload DownloadInitiate(uint16_t index, uint8_t subIndex, uint32_t size) {
    Payload frame{kRequestDownload | kSizeSpecified};
    PutAddress(frame, index, subIndex);
    PutU32(frame, size);
    return frame;
}

Payload DownloadSegment(bool toggle, const uint8_t* data, uint8_t size, bool last) {
    Payload frame{static_cast<uint8_t>(kRequestSegmentDownload | (toggle ? kToggleBit : 0) |
                                       ((7 - size) << 1) | (last ? kNoMoreData : 0))};
    std::copy_n(data, size, frame.begin() + 1);
    return frame;
}

Payload Abort(uint16_t index, uint8_t subIndex, SdoErrc code) {
    Payload frame{kRequestAborted};
    PutAddress(frame, index, subIndex);
    PutU32(frame, static_cast<uint32_t>(code));
    return frame;
}

bool Addresses(const Payload& frame, uint16_t index, uint8_t subIndex) {
    return frame[1] == (index & 0xFF) && frame[2] == (index >> 8) && frame[3] == subIndex;
}

bool Toggle(const Payload& frame) {
    return (frame[0] & kToggleBit) != 0;
}

uint32_t AbortCode(const Payload& frame) {
    return GetU32(frame);
}

UploadStart ReadUploadStart(const Payload& frame) {
    UploadStart start;
    start.expedited = (frame[0] & kExpedited) != 0;
    start.sizeIndicated = (frame[0] & kSizeSpecified) != 0;
    if (start.expedited) {
        start.size = start.sizeIndicated ? static_cast<uint8_t>(4 - ((frame[0] >> 2) & 0x03)) : 4;
    } else if (start.sizeIndicated) {
        start.totalSize = GetU32(frame);
    }
    return start;
}

Segment ReadSegment(const Payload& frame) {
    return {static_cast<uint8_t>(7 - ((frame[0] >> 1) & 0x07)), (frame[0] & kNoMoreData) != 0};
}

canbus::CanFrame ToFrame(uint32_t id, const Payload& payload) {
    canbus::CanFrame frame;
    frame.id = id;
    frame.length = 8;
    std::copy(payload.begin(), payload.end(), frame.data.begin());
    return frame;
}

Payload FromFrame(const canbus::CanFrame& frame) {
    Payload payload{};
    std::copy_n(frame.data.begin(), frame.length, payload.begin());
    return payload;
}

}  // namespace canopen::sdo
