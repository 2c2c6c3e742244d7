#include "tests/support/FakeNode.h"

#include <algorithm>

#include "canopen/Sdo.h"

namespace testing_can {

using canopen::sdo::Payload;

void Settle(canbus::VirtualBus& bus) {
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock<std::mutex> lock(mutex);
    bus.WaitFor(lock, never, canbus::Milliseconds(0), [] { return false; });
}

FakeNode::FakeNode(canbus::VirtualBus& bus, uint8_t node) : m_node(node), m_channel(bus.NewChannel()) {
    m_channel->Open(*this, nullptr);
}

FakeNode::~FakeNode() {
    m_channel->Close();
}

void FakeNode::Set(uint16_t index, uint8_t subIndex, std::vector<uint8_t> value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_objects[{index, subIndex}] = std::move(value);
}

std::vector<uint8_t> FakeNode::Get(uint16_t index, uint8_t subIndex) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_objects[{index, subIndex}];
}

void FakeNode::IgnoreRequests(int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ignore = count;
}

void FakeNode::AbortOn(uint16_t index, uint8_t subIndex, uint32_t code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aborts[{index, subIndex}] = code;
}

void FakeNode::ZeroLengthFinalSegment(bool on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_zeroLengthFinal = on;
}

void FakeNode::EmptySegments(bool on) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_emptySegments = on;
}

void FakeNode::WrongToggleOnce() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wrongToggle = true;
}

void FakeNode::AnswerScanLate(uint16_t index) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_staleIndex = index;
}

std::vector<canbus::CanFrame> FakeNode::Requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int FakeNode::Aborts() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_abortsReceived;
}

void FakeNode::SendFrame(const canbus::CanFrame& frame) {
    m_channel->Send(frame);
}

void FakeNode::Answer(const Payload& payload) {
    m_channel->Send(canopen::sdo::ToFrame(canopen::sdo::kResponseBase + m_node, payload));
}

void FakeNode::OnFrame(const canbus::CanFrame& frame) {
    if (frame.id != canopen::sdo::kRequestBase + m_node) {
        return;
    }
    Payload answer;
    Payload stale{};
    bool sendStale = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(frame);
        const Payload request = canopen::sdo::FromFrame(frame);
        if (request[0] == 0x80) {
            ++m_abortsReceived;
            return;
        }
        if (m_ignore > 0) {
            --m_ignore;
            return;
        }
        if (m_staleIndex >= 0 && (request[0] & 0xE0) == 0x40) {
            // A late answer to an earlier request for another object comes first.
            stale = {
                0x4B, static_cast<uint8_t>(m_staleIndex), static_cast<uint8_t>(m_staleIndex >> 8), 0, 1, 2, 3,
                4};
            sendStale = true;
        }
        answer = Serve(request);
    }
    if (sendStale) {
        Answer(stale);
    }
    Answer(answer);
}

Payload FakeNode::Serve(const Payload& request) {
    namespace sdo = canopen::sdo;
    const auto abort = [&](uint32_t code) {
        return sdo::Abort(m_object.first, m_object.second, static_cast<canopen::SdoErrc>(code));
    };
    const uint8_t ccs = request[0] >> 5;
    if (ccs == 2 || ccs == 1) {  // initiate upload or download
        m_object = {static_cast<uint16_t>(request[1] | request[2] << 8), request[3]};
        if (const auto it = m_aborts.find(m_object); it != m_aborts.end()) {
            return abort(it->second);
        }
    }
    switch (ccs) {
        case 2: {  // initiate upload
            const auto it = m_objects.find(m_object);
            if (it == m_objects.end()) {
                return abort(0x06020000);
            }
            m_data = it->second;
            m_offset = 0;
            m_uploading = true;
            if (m_data.size() <= 4 && !m_data.empty()) {
                Payload p{static_cast<uint8_t>(0x43 | ((4 - m_data.size()) << 2)), request[1], request[2],
                          request[3]};
                std::copy(m_data.begin(), m_data.end(), p.begin() + 4);
                return p;
            }
            Payload p{0x41, request[1], request[2], request[3]};
            const auto size = static_cast<uint32_t>(m_data.size());
            for (int i = 0; i < 4; ++i) {
                p[4 + i] = static_cast<uint8_t>(size >> (8 * i));
            }
            return p;
        }
        case 3: {  // upload segment
            if (!m_uploading) {
                return abort(0x05040001);
            }
            bool toggle = (request[0] & 0x10) != 0;
            if (m_wrongToggle) {
                m_wrongToggle = false;
                toggle = !toggle;
            }
            if (m_emptySegments) {
                return {static_cast<uint8_t>((toggle ? 0x10 : 0) | 7 << 1)};
            }
            const size_t left = m_data.size() - m_offset;
            size_t count = std::min<size_t>(7, left);
            bool last = count == left;
            if (m_zeroLengthFinal && last && count > 0) {
                last = false;  // this segment is full; an empty one follows
            } else if (m_zeroLengthFinal && count == 0) {
                last = true;
            }
            Payload p{static_cast<uint8_t>((toggle ? 0x10 : 0) | ((7 - count) << 1) | (last ? 1 : 0))};
            std::copy_n(m_data.begin() + static_cast<long>(m_offset), count, p.begin() + 1);
            m_offset += count;
            if (last) {
                m_uploading = false;
            }
            return p;
        }
        case 1: {  // initiate download
            const bool expedited = (request[0] & 0x02) != 0;
            if (expedited) {
                const size_t size = (request[0] & 0x01) ? 4 - ((request[0] >> 2) & 3) : 4;
                m_objects[m_object].assign(request.begin() + 4,
                                           request.begin() + 4 + static_cast<long>(size));
            } else {
                m_data.clear();
            }
            return {0x60, request[1], request[2], request[3]};
        }
        case 0: {  // download segment
            const size_t count = 7 - ((request[0] >> 1) & 7);
            m_data.insert(m_data.end(), request.begin() + 1, request.begin() + 1 + static_cast<long>(count));
            if (request[0] & 0x01) {
                m_objects[m_object] = m_data;
            }
            bool toggle = (request[0] & 0x10) != 0;
            if (m_wrongToggle) {
                m_wrongToggle = false;
                toggle = !toggle;
            }
            return {static_cast<uint8_t>(0x20 | (toggle ? 0x10 : 0))};
        }
        default:
            return abort(0x05040001);
    }
}

}  // namespace testing_can
