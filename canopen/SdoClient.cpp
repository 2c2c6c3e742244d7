// SDO client transfers: expedited and segmented upload and download, aborts both ways.
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
                                            const sdo::Payload& request, Fits&& fits) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_lost) {
        return {Outcome::LinkDown, {}};
    }
    m_responses.clear();
    m_sdoNode = node;
    // Sent with the lock held, so that no answer can come before the client listens for it.
    if (!m_channel.Send(sdo::ToFrame(sdo::kRequestBase + node, request))) {
        m_sdoNode = 0;
        return {Outcome::LinkDown, {}};
    }
    const auto deadline = m_clock.Now() + kSdoTimeout;
    for (;;) {
        const auto left = deadline - m_clock.Now();
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
        if (kind == sdo::Response::Abort) {
            if (!sdo::Addresses(answer, index, subIndex)) {
                continue;  // ends an earlier transfer
            }
            m_sdoNode = 0;
            return {Outcome::Aborted, answer};
        }
        const Verdict verdict = fits(kind, answer);
        if (verdict != Verdict::Skip) {
            m_sdoNode = 0;
            return {verdict == Verdict::Accept ? Outcome::Done : Outcome::Broken, answer};
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
    bool timedOut = false;
    SdoResult result = UploadOnce(node, index, subIndex, buffer, size, &timedOut);
    if (timedOut) {
        result = UploadOnce(node, index, subIndex, buffer, size, &timedOut);
    }
    return result;
}

SdoResult CanOpenClient::UploadOnce(uint8_t node, uint16_t index, uint8_t subIndex, uint8_t* buffer,
                                    size_t size, bool* timedOut) {
    // The answer to this request, not a late one to an earlier request for another object.
    const Step start = Exchange(node, index, subIndex, sdo::UploadInitiate(index, subIndex),
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
        uint32_t total = 0;
        for (;;) {
            const Step step = Exchange(node, index, subIndex, sdo::UploadSegment(toggle),
                                       Segmented(sdo::Response::UploadSegment));
            if (step.outcome != Outcome::Done) {
                // A silent server mid-transfer is not asked again: the retry is for lost requests.
                return Fail(node, index, subIndex, step);
            }
            if (sdo::Toggle(step.frame) != toggle) {
                return AbortTransfer(node, index, subIndex, SdoErrc::Toggle);
            }
            const sdo::Segment segment = sdo::ReadSegment(step.frame);
            total += segment.size;
            if (total > kMaxTransferBytes) {
                return AbortTransfer(node, index, subIndex, SdoErrc::OutOfMemory);
            }
            keep(step.frame.data() + 1, segment.size);
            if (segment.last) {
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
    const Step start =
        Exchange(node, index, subIndex, request, Initiated(sdo::Response::DownloadInitiate, index, subIndex));
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
            Exchange(node, index, subIndex, sdo::DownloadSegment(toggle, data + sent, count, last),
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
