// SDO client transfers: expedited and segmented upload and download, aborts both ways. A
// transfer ends within kSdoTransferTimeout and, for an upload, once the caller's buffer is full,
// whatever the server sends.
#include <algorithm>

#include "canopen/CanOpenClient.h"

namespace canopen {
namespace {

using Verdict = CanOpenClient::Verdict;

// The first answer of a transfer: anything but the initiate response for this very object is a
// late answer to an earlier request, passed over.
auto Initiated(sdo::Response expected, uint16_t index, uint8_t subIndex) {
    return [=](sdo::Response kind, const sdo::Payload& frame) {
        return kind == expected && sdo::Addresses(frame, index, subIndex) ? Verdict::Accept : Verdict::Skip;
    };
}

// Mid-transfer the server may send only the segment response: anything else breaks the protocol.
auto Segmented(sdo::Response expected) {
    return [=](sdo::Response kind, const sdo::Payload&) {
        return kind == expected ? Verdict::Accept : Verdict::Reject;
    };
}

}  // namespace

template <typename Fits>
CanOpenClient::Step CanOpenClient::Exchange(uint8_t node, uint16_t index, uint8_t subIndex,
                                            const sdo::Payload& request, canbus::Milliseconds deadline,
                                            Fits&& fits) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_lost) {
        return {Outcome::LinkDown, {}};
    }
    const auto answerBy = std::min(m_clock.Now() + kSdoTimeout, deadline);
    if (answerBy <= m_clock.Now()) {
        return {Outcome::TimedOut, {}};  // the transfer's time is up: nothing more is asked
    }
    m_responses.clear();
    m_sdoNode = node;
    // Sent with the lock held, so that no answer can come before the client listens for it.
    if (!m_channel.Send(sdo::ToFrame(sdo::kRequestBase + node, request))) {
        m_sdoNode = 0;
        return {Outcome::LinkDown, {}};
    }
    for (;;) {
        const auto left = answerBy - m_clock.Now();
        m_clock.WaitFor(lock, m_answered, std::max(left, canbus::Milliseconds(0)),
                        [&] { return m_lost || !m_responses.empty(); });
        if (m_lost) {
            m_sdoNode = 0;
            return {Outcome::LinkDown, {}};
        }
        if (m_responses.empty()) {
            m_sdoNode = 0;
            return {Outcome::TimedOut, {}};
        }
        const sdo::Payload answer = m_responses.front();
        m_responses.pop_front();
        const sdo::Response kind = sdo::Classify(answer);
        if (kind == sdo::Response::Abort && sdo::Addresses(answer, index, subIndex)) {
            m_sdoNode = 0;
            return {Outcome::Aborted, answer};
        }
        // An abort for another object ends an earlier transfer.
        const Verdict verdict = kind == sdo::Response::Abort ? Verdict::Skip : fits(kind, answer);
        if (verdict != Verdict::Skip) {
            m_sdoNode = 0;
            return {verdict == Verdict::Accept ? Outcome::Done : Outcome::Broken, answer};
        }
        if (m_clock.Now() >= answerBy) {
            m_sdoNode = 0;  // a stream of answers passed over does not hold the wait open
            return {Outcome::TimedOut, {}};
        }
    }
}

SdoResult CanOpenClient::AbortTransfer(uint8_t node, uint16_t index, uint8_t subIndex, SdoErrc code) {
    if (!LinkLost()) {
        m_channel.Send(sdo::ToFrame(sdo::kRequestBase + node, sdo::Abort(index, subIndex, code)));
    }
    return SdoResult::Aborted(code);
}

SdoResult CanOpenClient::Fail(uint8_t node, uint16_t index, uint8_t subIndex, const Step& step) {
    switch (step.outcome) {
        case Outcome::Aborted:
            return {false, sdo::AbortCode(step.frame)};
        case Outcome::TimedOut:
            return AbortTransfer(node, index, subIndex, SdoErrc::Timeout);
        case Outcome::Broken:
            return AbortTransfer(node, index, subIndex, SdoErrc::Command);
        case Outcome::LinkDown:
        case Outcome::Done:
            break;
    }
    return {false, 0};
}

SdoResult CanOpenClient::Upload(uint8_t node, uint16_t index, uint8_t subIndex, uint8_t* buffer,
                                size_t size) {
    if (node < 1 || node > kMaxNode || !buffer || size == 0) {
        return {false, 0};
    }
    std::lock_guard<std::mutex> transfer(m_transfer);
    const auto deadline = m_clock.Now() + kSdoTransferTimeout;
    bool timedOut = false;
    SdoResult result = UploadOnce(node, index, subIndex, buffer, size, deadline, &timedOut);
    if (timedOut) {
        result = UploadOnce(node, index, subIndex, buffer, size, deadline, &timedOut);
    }
    return result;
}

SdoResult CanOpenClient::UploadOnce(uint8_t node, uint16_t index, uint8_t subIndex, uint8_t* buffer,
                                    size_t size, canbus::Milliseconds deadline, bool* timedOut) {
    // The answer to this request, not a late one to an earlier request for another object.
    const Step start = Exchange(node, index, subIndex, sdo::UploadInitiate(index, subIndex), deadline,
                                Initiated(sdo::Response::UploadInitiate, index, subIndex));
    *timedOut = start.outcome == Outcome::TimedOut;
    if (start.outcome != Outcome::Done) {
        return Fail(node, index, subIndex, start);
    }
    size_t stored = 0;
    const auto keep = [&](const uint8_t* data, size_t count) {
        const size_t room = std::min(count, size - stored);
        std::copy_n(data, room, buffer + stored);
        stored += room;
    };
    const sdo::UploadStart info = sdo::ReadUploadStart(start.frame);
    if (info.expedited) {
        keep(start.frame.data() + 4, info.size);
    } else {
        bool toggle = false;
        for (;;) {
            const Step step = Exchange(node, index, subIndex, sdo::UploadSegment(toggle), deadline,
                                       Segmented(sdo::Response::UploadSegment));
            if (step.outcome != Outcome::Done) {
                // A silent server mid-transfer is not asked again: the retry is for lost requests.
                return Fail(node, index, subIndex, step);
            }
            if (sdo::Toggle(step.frame) != toggle) {
                return AbortTransfer(node, index, subIndex, SdoErrc::Toggle);
            }
            const sdo::Segment segment = sdo::ReadSegment(step.frame);
            if (segment.size == 0 && !segment.last) {
                // Moves nothing and promises more: a server that never gets anywhere.
                return AbortTransfer(node, index, subIndex, SdoErrc::General);
            }
            if (stored + segment.size > kMaxTransferBytes) {
                return AbortTransfer(node, index, subIndex, SdoErrc::OutOfMemory);
            }
            const bool overflows = segment.size > size - stored;
            keep(step.frame.data() + 1, segment.size);
            if (segment.last) {
                break;
            }
            if (overflows) {
                // More than the caller can take: what fits is the result, the rest is refused.
                AbortTransfer(node, index, subIndex, SdoErrc::LengthTooHigh);
                break;
            }
            toggle = !toggle;
        }
    }
    if (stored < size) {
        buffer[stored] = 0;  // a text shorter than the buffer ends in a zero byte
    }
    return {true, static_cast<uint32_t>(stored)};
}

SdoResult CanOpenClient::Download(uint8_t node, uint16_t index, uint8_t subIndex, const uint8_t* data,
                                  size_t size) {
    if (node < 1 || node > kMaxNode || !data || size == 0 || size > kMaxTransferBytes) {
        return {false, 0};
    }
    std::lock_guard<std::mutex> transfer(m_transfer);
    const bool expedited = size <= 4;
    const sdo::Payload request =
        expedited ? sdo::DownloadExpedited(index, subIndex, data, static_cast<uint8_t>(size))
                  : sdo::DownloadInitiate(index, subIndex, static_cast<uint32_t>(size));
    const auto deadline = m_clock.Now() + kSdoTransferTimeout;
    const Step start = Exchange(node, index, subIndex, request, deadline,
                                Initiated(sdo::Response::DownloadInitiate, index, subIndex));
    if (start.outcome != Outcome::Done) {
        return Fail(node, index, subIndex, start);
    }
    if (expedited) {
        return {true, static_cast<uint32_t>(size)};
    }
    bool toggle = false;
    for (size_t sent = 0; sent < size;) {
        const auto count = static_cast<uint8_t>(std::min<size_t>(7, size - sent));
        const bool last = sent + count == size;
        const Step step =
            Exchange(node, index, subIndex, sdo::DownloadSegment(toggle, data + sent, count, last), deadline,
                     Segmented(sdo::Response::DownloadSegment));
        if (step.outcome != Outcome::Done) {
            return Fail(node, index, subIndex, step);
        }
        if (sdo::Toggle(step.frame) != toggle) {
            return AbortTransfer(node, index, subIndex, SdoErrc::Toggle);
        }
        sent += count;
        toggle = !toggle;
    }
    return {true, static_cast<uint32_t>(size)};
}

}  // namespace canopen
