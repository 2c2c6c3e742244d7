// The SDO protocol's frames as the client builds and reads them (expedited and segmented
// transfers, aborts). All SDO frames carry 8 bytes.
#pragma once

#include <array>
#include <cstdint>

#include "canbus/CanFrame.h"

namespace canopen::sdo {

using Payload = std::array<uint8_t, 8>;

inline constexpr uint32_t kRequestBase = 0x600;   // client to server, + node
inline constexpr uint32_t kResponseBase = 0x580;  // server to client, + node

// Abort codes the client sends or reports.
inline constexpr uint32_t kAbortToggle = 0x05030000;
inline constexpr uint32_t kAbortTimeout = 0x05040000;
inline constexpr uint32_t kAbortCommand = 0x05040001;
inline constexpr uint32_t kAbortOutOfMemory = 0x05040005;

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
Payload Abort(uint16_t index, uint8_t subIndex, uint32_t code);

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
