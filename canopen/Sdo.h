// The SDO protocol's frames as the client builds and reads them (expedited and segmented
// transfers, aborts). All SDO frames carry 8 bytes.
#pragma once

#include <array>
#include <cstdint>

#include "canbus/CanFrame.h"
#include "canopen/SdoError.h"

namespace canopen::sdo {

using Payload = std::array<uint8_t, 8>;

inline constexpr uint32_t kRequestBase = 0x600;   // client to server, + node
inline constexpr uint32_t kResponseBase = 0x580;  // server to client, + node

// Command specifiers: the top three bits of a frame's first byte.
inline constexpr uint8_t kCommandMask = 7 << 5;
inline constexpr uint8_t kRequestSegmentDownload = 0 << 5;
inline constexpr uint8_t kRequestDownload = 1 << 5;
inline constexpr uint8_t kRequestUpload = 2 << 5;
inline constexpr uint8_t kRequestSegmentUpload = 3 << 5;
inline constexpr uint8_t kRequestAborted = 4 << 5;
inline constexpr uint8_t kResponseSegmentUpload = 0 << 5;
inline constexpr uint8_t kResponseSegmentDownload = 1 << 5;
inline constexpr uint8_t kResponseUpload = 2 << 5;
inline constexpr uint8_t kResponseDownload = 3 << 5;
inline constexpr uint8_t kResponseAborted = 4 << 5;
// Flags of the first byte.
inline constexpr uint8_t kExpedited = 0x02;      // initiate: the data is in this frame
inline constexpr uint8_t kSizeSpecified = 0x01;  // initiate: the size is indicated
inline constexpr uint8_t kToggleBit = 0x10;      // segments: alternates from 0
inline constexpr uint8_t kNoMoreData = 0x01;     // segments: the last one

// What a server's frame is, from the top three bits of its first byte.
enum class Response { UploadSegment, DownloadSegment, UploadInitiate, DownloadInitiate, Abort, Other };
Response Classify(const Payload& frame);

// Requests.
Payload UploadInitiate(uint16_t index, uint8_t subIndex);
Payload UploadSegment(bool toggle);
// Up to 4 bytes, expedited with the size indicated.
Payload DownloadExpedited(uint16_t index, uint8_t subIndex, const uint8_t* data, uint8_t size);
Payload DownloadInitiate(uint16_t index, uint8_t subIndex, uint32_t size);
// Up to 7 bytes.
Payload DownloadSegment(bool toggle, const uint8_t* data, uint8_t size, bool last);
Payload Abort(uint16_t index, uint8_t subIndex, SdoErrc code);

// Fields of responses.
bool Addresses(const Payload& frame, uint16_t index, uint8_t subIndex);
bool Toggle(const Payload& frame);
uint32_t AbortCode(const Payload& frame);
// An initiate-upload response: expedited (with its data), or the segmented size if indicated.
struct UploadStart {
    bool expedited = false;
    uint8_t size = 0;  // expedited: bytes of data at offset 4 (4 when the size is not indicated)
    bool sizeIndicated = false;
    uint32_t totalSize = 0;  // segmented and indicated
};
UploadStart ReadUploadStart(const Payload& frame);
// An upload segment: bytes of data at offset 1, and whether it is the last.
struct Segment {
    uint8_t size = 0;
    bool last = false;
};
Segment ReadSegment(const Payload& frame);

canbus::CanFrame ToFrame(uint32_t id, const Payload& payload);
// The frame's bytes, padded with zeros to 8.
Payload FromFrame(const canbus::CanFrame& frame);

}  // namespace canopen::sdo
