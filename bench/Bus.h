// The CANopen bus behind the connected bridge: the base remote (node 72) with its object
// dictionary, the wireless remote that reports through it, the other nodes and the scenario's
// timeline. Not thread-safe: the bench's lock guards every call.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bench/Bench.h"
#include "bench/ObjectDictionary.h"

namespace bench {

// The bench's own copies of the protocol's numbers (here and in Bus.cpp and ObjectDictionary.cpp),
// written from the remotes' side on purpose: taking the tool's canlink/RemoteProtocol.h would let a
// wrong number there pass every test.
inline constexpr int kBaseRemoteNode = 72;

// Takes the frames the nodes put on the bus.
class FrameSink {
public:
    virtual void Send(const CAN_PDO& pdo) = 0;

protected:
    ~FrameSink() = default;
};

class Bus {
public:
    Bus(const Scenario& scenario, FrameSink& sink);

    // A tool connected at `nowMs`: the timeline plays again from there.
    void Start(int64_t nowMs);
    // Runs everything due up to `nowMs` in time order, each at its own time.
    void RunUntil(int64_t nowMs);
    std::optional<int64_t> NextDue() const;
    bool Lost() const { return m_lost; }

    bool NodePresent(int node) const;
    void FillNodeTable(uint8_t* table) const;
    SdoOutcome Read(int node, int index, int subIndex, uint8_t* buffer, int size) const;
    SdoOutcome Write(int node, int index, int subIndex, const uint8_t* data, int size, int64_t nowMs);
    bool SetNodeState(int node, int state, int64_t nowMs);

    uint32_t ObjectValue(int index, int subIndex) const { return NumericValue(m_od, index, subIndex); }
    bool WirelessPaired() const { return m_paired; }
    bool AssociationWindowOpen() const;

private:
    enum class Due { None, Timeline, Pairing, Signal, Flood };
    Due NextKind(int64_t* at) const;
    // Why an SDO transfer with `node` fails before it reaches the dictionary, if it does.
    std::optional<SdoOutcome> Refusal(int node, const std::vector<uint32_t>& failing, int index,
                                      int subIndex) const;
    void Run(const TimelineEvent& event, int64_t at);
    void InsertBatteries(int64_t at);
    void CompletePairing(int64_t at);
    void SetBattery(bool low);
    void SendSignal();
    bool Tpdo3Active() const;
    bool Linked() const { return m_paired && m_batteriesIn; }
    void Reschedule(int64_t at);
    void Emit(uint32_t cobId, uint8_t value);
    // The flood's frames due by `at`: as many as its rate makes due since the connection.
    void RunFlood(int64_t at);
    std::optional<int64_t> FloodDue() const;

    FrameSink& m_sink;
    std::vector<int> m_nodes;
    bool m_basePresent;
    Faults m_faults;
    std::vector<TimelineEvent> m_timeline;
    int m_signalVariation;
    int m_signalPeriodMs;
    int m_pairDelayMs;
    bool m_insertBatteriesWhenWindowOpens;

    ObjectDictionary m_od;
    bool m_started = false;
    int64_t m_anchor = 0;
    size_t m_next = 0;
    bool m_lost = false;
    // TPDO3 takes changed settings only when the node goes to pre-operational (3) and back to
    // operational (1).
    bool m_tpdo3Restarted = true;
    bool m_preOperationalSeen = false;
    bool m_batteriesIn;
    bool m_paired;
    bool m_batteryLow;
    int m_signalLevel;
    uint32_t m_noise = 0x2545F491;
    std::optional<int64_t> m_pairAt;
    std::optional<int64_t> m_signalAt;
    Flood m_flood;
    uint64_t m_floodSent = 0;
};

}  // namespace bench
