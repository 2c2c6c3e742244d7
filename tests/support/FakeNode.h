// A CANopen node on the virtual bus for tests: an SDO server over a small object dictionary,
// with the faults a real node or a lossy bus shows. It answers from the bus's reader thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "tests/support/VirtualBus.h"

namespace testing_can {

// Waits until every frame sent on the bus has been handed over (no real time passes).
void Settle(canbus::VirtualBus& bus);

class FakeNode final : public canbus::FrameSink {
public:
    FakeNode(canbus::VirtualBus& bus, uint8_t node);
    ~FakeNode() override;

    void Set(uint16_t index, uint8_t subIndex, std::vector<uint8_t> value);
    std::vector<uint8_t> Get(uint16_t index, uint8_t subIndex);

    // Faults.
    void IgnoreRequests(int count);                                 // the next `count` requests go unanswered
    void AbortOn(uint16_t index, uint8_t subIndex, uint32_t code);  // every access is aborted
    void ZeroLengthFinalSegment(bool on);                           // uploads end with a segment of no data
    void EmptySegments(bool on);          // upload segments carry no data and are never the last
    void WrongToggleOnce();               // the next segment response has the wrong toggle
    void AnswerScanLate(uint16_t index);  // answers each request also as if it were for `index`

    std::vector<canbus::CanFrame> Requests();  // every SDO request received
    int Aborts();                              // aborts received from the client
    void SendFrame(const canbus::CanFrame& frame);

    void OnFrame(const canbus::CanFrame& frame) override;
    void OnLinkLost() override {}

private:
    void Answer(const std::array<uint8_t, 8>& payload);
    std::array<uint8_t, 8> Serve(const std::array<uint8_t, 8>& request);

    const uint8_t m_node;
    std::unique_ptr<canbus::VirtualChannel> m_channel;
    std::mutex m_mutex;
    std::map<std::pair<uint16_t, uint8_t>, std::vector<uint8_t>> m_objects;
    std::map<std::pair<uint16_t, uint8_t>, uint32_t> m_aborts;
    std::vector<canbus::CanFrame> m_requests;
    int m_ignore = 0;
    int m_abortsReceived = 0;
    bool m_zeroLengthFinal = false;
    bool m_emptySegments = false;
    bool m_wrongToggle = false;
    int m_staleIndex = -1;
    // The transfer in progress.
    std::pair<uint16_t, uint8_t> m_object{};
    std::vector<uint8_t> m_data;
    size_t m_offset = 0;
    bool m_uploading = false;
};

}  // namespace testing_can
