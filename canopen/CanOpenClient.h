// A CANopen client (master) over any frame channel: NMT commands, SDO client transfers,
// delivery of registered PDOs into a bounded buffer, and the node scan. It is the channel's
// sink: frames come in on the channel's reader thread and are sorted without ever blocking it;
// transfers run on the caller's thread, one at a time.
#pragma once

#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>

#include "canbus/FrameChannel.h"
#include "canbus/WaitClock.h"
#include "canopen/PdoBuffer.h"
#include "canopen/Sdo.h"
#include "canopen/SdoError.h"

namespace canopen {

// How long the client waits for each answer of the server, and for a whole transfer (both
// tries of an upload included): a node that answers in time but never ends is cut off too.
inline constexpr std::chrono::milliseconds kSdoTimeout{500};
inline constexpr std::chrono::milliseconds kSdoTransferTimeout = 4 * kSdoTimeout;
// The node scan: uploads of 0x1000/0 in bursts of this many frames (some adapters drop what
// goes beyond a 64-frame queue), a burst every kScanBurstGap, all answers in by kScanWindow.
inline constexpr int kScanBurst = 16;
inline constexpr std::chrono::milliseconds kScanBurstGap{40};
inline constexpr std::chrono::milliseconds kScanWindow{450};
inline constexpr int kMaxNode = 127;
// A segmented transfer longer than this is refused or aborted, whatever the caller's buffer.
inline constexpr uint32_t kMaxTransferBytes = 1 << 20;

struct SdoResult {
    bool ok = false;
    // Success: the bytes moved. Failure: the abort code (the server's, or the client's own for
    // a timeout or a broken protocol), 0 when nothing was sent.
    uint32_t value = 0;

    static SdoResult Aborted(SdoErrc code) { return {false, static_cast<uint32_t>(code)}; }
    // The abort code of a failure (none on success or when nothing was sent).
    std::error_code Error() const {
        return ok || value == 0 ? std::error_code{} : make_error_code(static_cast<SdoErrc>(value));
    }
};

class CanOpenClient final : public canbus::FrameSink {
public:
    CanOpenClient(canbus::FrameChannel& channel, canbus::WaitClock& clock)
        : m_channel(channel), m_clock(clock) {}

    void OnFrame(const canbus::CanFrame& frame) override;
    void OnLinkLost() override;
    bool LinkLost() const;
    // Makes every wait end and every later operation fail, as a lost link does, but is no loss.
    void Shutdown() { MarkLost(); }
    // Runs once, on the channel's reader thread, when the channel loses the link before a
    // Shutdown. Set before the channel opens.
    void SetLinkLostNotice(std::function<void()> notice) { m_linkLostNotice = std::move(notice); }

    // NMT command `command` to `node` (0: all nodes) on COB-ID 0.
    bool SendNmt(uint8_t command, uint8_t node);

    // Reads into `buffer` (at most `size` bytes; a shorter result is followed by a zero byte).
    // Data longer than the buffer is aborted at the first segment that does not fit, and what
    // fits is the result. Retried once when the server does not answer the request in time.
    SdoResult Upload(uint8_t node, uint16_t index, uint8_t subIndex, uint8_t* buffer, size_t size);
    // Writes `size` bytes (1 or more). Never repeated: a repeated write can act twice.
    SdoResult Download(uint8_t node, uint16_t index, uint8_t subIndex, const uint8_t* data, size_t size);

    // Nodes 1..127 that answered an upload of 0x1000/0 (an abort too), or sent a boot-up or
    // heartbeat since the client started. False when the link is down or a request could
    // not be sent.
    bool ScanNodes(std::bitset<kMaxNode + 1>* present);

    // PDOs: standard data frames on registered COB-IDs go to the buffer.
    bool RegisterPdo(uint32_t cobId);
    bool TransmitPdo(const canbus::CanFrame& frame);
    PdoBuffer& Pdos() { return m_pdos; }

    // How a transfer takes a server's frame (public for the matchers in the source file).
    enum class Verdict { Accept, Skip, Reject };

private:
    enum class Outcome { Done, Aborted, TimedOut, LinkDown, Broken };
    struct Step {
        Outcome outcome;
        sdo::Payload frame;
    };

    // Sends `request` to `node`'s server and waits for the answer that `fits` takes, or an abort
    // of this object's transfer, for kSdoTimeout and never past the transfer's `deadline`.
    template <typename Fits>
    Step Exchange(uint8_t node, uint16_t index, uint8_t subIndex, const sdo::Payload& request,
                  canbus::Milliseconds deadline, Fits&& fits);
    SdoResult UploadOnce(uint8_t node, uint16_t index, uint8_t subIndex, uint8_t* buffer, size_t size,
                         canbus::Milliseconds deadline, bool* timedOut);
    SdoResult Fail(uint8_t node, uint16_t index, uint8_t subIndex, const Step& step);
    SdoResult AbortTransfer(uint8_t node, uint16_t index, uint8_t subIndex, SdoErrc code);
    // Ends every wait and fails what follows; true the first time.
    bool MarkLost();

    canbus::FrameChannel& m_channel;
    canbus::WaitClock& m_clock;
    PdoBuffer m_pdos;
    std::function<void()> m_linkLostNotice;
    std::mutex m_transfer;  // one transfer or scan at a time

    mutable std::mutex m_mutex;  // guards what follows
    std::condition_variable m_answered;
    bool m_lost = false;
    std::bitset<canbus::kMaxStandardId + 1> m_registered;
    uint8_t m_sdoNode = 0;  // the node whose responses a transfer waits for
    std::deque<sdo::Payload> m_responses;
    bool m_scanning = false;
    std::bitset<kMaxNode + 1> m_scanAnswers;
    std::bitset<kMaxNode + 1> m_heard;  // boot-up or heartbeat seen
};

}  // namespace canopen
