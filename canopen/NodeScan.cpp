// Which nodes are on the bus: every node is asked for its device type (0x1000/0), in bursts.
#include "canopen/CanOpenClient.h"

namespace canopen {

bool CanOpenClient::ScanNodes(std::bitset<kMaxNode + 1>* present) {
    std::lock_guard<std::mutex> transfer(m_transfer);
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_lost) {
        return false;
    }
    m_scanAnswers.reset();
    m_scanning = true;
    const auto start = m_clock.Now();
    const auto pauseUntil = [&](canbus::Milliseconds at) {
        const auto left = at - m_clock.Now();
        if (left.count() > 0) {
            m_clock.WaitFor(lock, m_answered, left, [&] { return m_lost; });
        }
    };
    int burst = 0;
    bool sending = true;  // a scan that could not ask every node gives no table
    for (int first = 1; first <= kMaxNode && sending && !m_lost; first += kScanBurst, ++burst) {
        pauseUntil(start + burst * kScanBurstGap);
        for (int node = first; node < first + kScanBurst && node <= kMaxNode; ++node) {
            const auto frame = sdo::ToFrame(sdo::kRequestBase + node, sdo::UploadInitiate(0x1000, 0));
            if (!m_channel.Send(frame)) {
                sending = false;
                break;
            }
        }
    }
    pauseUntil(start + kScanWindow);
    m_scanning = false;
    if (m_lost || !sending) {
        return false;
    }
    *present = m_scanAnswers | m_heard;
    present->reset(0);
    return true;
}

}  // namespace canopen
