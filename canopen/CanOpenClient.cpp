// Sorting received frames, NMT and PDOs.
#include "canopen/CanOpenClient.h"

namespace canopen {
namespace {

constexpr uint32_t kHeartbeatBase = 0x700;
// Answers kept for a waiting transfer; a server sends one per request, so more is noise.
constexpr size_t kMaxQueuedResponses = 8;

}  // namespace

void CanOpenClient::OnFrame(const canbus::CanFrame& frame) {
    if (frame.extended || frame.remote) {
        return;
    }
    bool registered;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        registered = m_registered[frame.id];
        if (frame.id > sdo::kResponseBase && frame.id <= sdo::kResponseBase + kMaxNode) {
            const auto node = static_cast<uint8_t>(frame.id - sdo::kResponseBase);
            if (m_scanning) {
                m_scanAnswers[node] = true;
            }
            if (node == m_sdoNode && m_responses.size() < kMaxQueuedResponses) {
                m_responses.push_back(sdo::FromFrame(frame));
                m_answered.notify_all();
            }
        } else if (frame.id > kHeartbeatBase && frame.id <= kHeartbeatBase + kMaxNode && frame.length == 1) {
            m_heard[frame.id - kHeartbeatBase] = true;
        }
    }
    if (registered) {
        m_pdos.Push(frame);
    }
}

void CanOpenClient::OnLinkLost() {
    if (MarkLost() && m_linkLostNotice) {
        m_linkLostNotice();
    }
}

bool CanOpenClient::MarkLost() {
    bool first;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        first = !m_lost;
        m_lost = true;
    }
    m_answered.notify_all();
    return first;
}

bool CanOpenClient::LinkLost() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lost;
}

bool CanOpenClient::SendNmt(uint8_t command, uint8_t node) {
    if (node > kMaxNode || LinkLost()) {
        return false;
    }
    return m_channel.Send(canbus::MakeFrame(0x000, {command, node}));
}

bool CanOpenClient::RegisterPdo(uint32_t cobId) {
    if (cobId > canbus::kMaxStandardId) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_registered[cobId] = true;
    return true;
}

bool CanOpenClient::TransmitPdo(const canbus::CanFrame& frame) {
    if (frame.extended || frame.remote || !canbus::IsValid(frame) || LinkLost()) {
        return false;
    }
    return m_channel.Send(frame);
}

}  // namespace canopen
