#include "bench/Bus.h"

#include <algorithm>
#include <cstring>

namespace bench {
namespace {

// Independent of canlink/RemoteProtocol.h on purpose (see Bus.h).
constexpr uint32_t kWiredKeyPdo = 0x1C8;
constexpr uint32_t kWirelessKeyPdo = 0x1C9;
constexpr uint32_t kSignalPdo = 0x3C8;
constexpr uint32_t kBatteryPdo = 0x2C9;
constexpr uint8_t kBatteryLowBit = 0x02;
constexpr uint32_t kPdoNotValid = 0x80000000u;
constexpr uint8_t kWindowOpenBit = 0x04;
// A shorter period would let one Advance run unboundedly many reports.
constexpr int kMinSignalPeriodMs = 10;

bool Listed(const std::vector<uint32_t>& objects, int index, int subIndex) {
    const uint32_t key = static_cast<uint32_t>(index) << 8 | static_cast<uint32_t>(subIndex & 0xFF);
    return std::find(objects.begin(), objects.end(), key) != objects.end();
}

}  // namespace

Bus::Bus(const Scenario& scenario, FrameSink& sink)
    : m_sink(sink),
      m_nodes(scenario.nodes),
      m_basePresent(scenario.baseRemotePresent),
      m_faults(scenario.faults),
      m_timeline(scenario.timeline),
      m_signalVariation(std::clamp(scenario.signalVariation, 0, 255)),
      m_signalPeriodMs(std::max(scenario.signalPeriodMs, kMinSignalPeriodMs)),
      m_pairDelayMs(std::max(scenario.pairDelayMs, 0)),
      m_insertBatteriesWhenWindowOpens(scenario.insertBatteriesWhenWindowOpens),
      m_batteriesIn(scenario.wirelessPaired),
      m_paired(scenario.wirelessPaired),
      m_batteryLow(scenario.wirelessBatteryLow),
      m_signalLevel(std::clamp(scenario.signalLevel, 0, 255)),
      m_flood(scenario.flood) {
    std::stable_sort(m_timeline.begin(), m_timeline.end(),
                     [](const TimelineEvent& a, const TimelineEvent& b) { return a.atMs < b.atMs; });
    m_od.revision = scenario.revision;
    m_od.versionText = scenario.versionText;
    m_od.tpdo3CobId = scenario.tpdo3CobId;
    m_od.tpdo3Mapped = scenario.tpdo3Mapped;
    m_od.associationControl = scenario.associationControl;
}

void Bus::Start(int64_t nowMs) {
    m_started = true;
    m_anchor = nowMs;
    m_next = 0;
    m_lost = false;
    m_floodSent = 0;
    // Reports that fell due while nobody was connected are not made up for.
    m_signalAt.reset();
    Reschedule(nowMs);
}

Bus::Due Bus::NextKind(int64_t* at) const {
    if (!m_started || m_lost) {
        return Due::None;
    }
    Due kind = Due::None;
    if (m_next < m_timeline.size()) {
        kind = Due::Timeline;
        *at = m_anchor + m_timeline[m_next].atMs;
    }
    if (m_pairAt && (kind == Due::None || *m_pairAt < *at)) {
        kind = Due::Pairing;
        *at = *m_pairAt;
    }
    if (m_signalAt && (kind == Due::None || *m_signalAt < *at)) {
        kind = Due::Signal;
        *at = *m_signalAt;
    }
    if (const std::optional<int64_t> flood = FloodDue(); flood && (kind == Due::None || *flood < *at)) {
        kind = Due::Flood;
        *at = *flood;
    }
    return kind;
}

std::optional<int64_t> Bus::NextDue() const {
    int64_t at = 0;
    if (NextKind(&at) == Due::None) {
        return std::nullopt;
    }
    return at;
}

void Bus::RunUntil(int64_t nowMs) {
    int64_t at = 0;
    for (Due kind = NextKind(&at); kind != Due::None && at <= nowMs; kind = NextKind(&at)) {
        switch (kind) {
            case Due::Timeline:
                Run(m_timeline[m_next++], at);
                break;
            case Due::Pairing:
                m_pairAt.reset();
                CompletePairing(at);
                break;
            case Due::Signal:
                *m_signalAt += m_signalPeriodMs;
                SendSignal();
                break;
            case Due::Flood:
                RunFlood(std::min(nowMs, m_anchor + m_flood.durationMs));
                break;
            case Due::None:
                break;
        }
    }
}

void Bus::Run(const TimelineEvent& event, int64_t at) {
    const uint8_t code = static_cast<uint8_t>(event.code);
    switch (event.kind) {
        case EventKind::KeyDown:
        case EventKind::KeyUp: {
            const uint8_t value = event.kind == EventKind::KeyDown ? code : 0;
            if (!event.wireless) {
                Emit(kWiredKeyPdo, value);
            } else if (Linked()) {
                Emit(kWirelessKeyPdo, value);
            }
            break;
        }
        case EventKind::BatteryLow:
        case EventKind::BatteryOk:
            SetBattery(event.kind == EventKind::BatteryLow);
            break;
        case EventKind::Signal:
            m_signalLevel = code;
            if (Linked() && Tpdo3Active()) {
                SendSignal();
            }
            break;
        case EventKind::BatteriesInserted:
            InsertBatteries(at);
            break;
        case EventKind::BridgeLost:
            m_lost = true;
            break;
    }
}

// A paired remote reports its battery on power-up; an unpaired one pairs only if the window is
// open now and still open when the handshake completes.
void Bus::InsertBatteries(int64_t at) {
    m_batteriesIn = true;
    if (m_paired) {
        Emit(kBatteryPdo, m_batteryLow ? kBatteryLowBit : 0);
    } else if (AssociationWindowOpen()) {
        m_pairAt = at + m_pairDelayMs;
    }
}

void Bus::CompletePairing(int64_t at) {
    if (!m_batteriesIn || !AssociationWindowOpen()) {
        return;
    }
    m_paired = true;
    Emit(kBatteryPdo, m_batteryLow ? kBatteryLowBit : 0);
    Reschedule(at);
}

void Bus::SetBattery(bool low) {
    if (low == m_batteryLow) {
        return;
    }
    m_batteryLow = low;
    if (Linked()) {
        Emit(kBatteryPdo, low ? kBatteryLowBit : 0);
    }
}

void Bus::SendSignal() {
    int level = m_signalLevel;
    if (m_signalVariation > 0) {
        m_noise = m_noise * 1664525u + 1013904223u;
        const int span = 2 * m_signalVariation + 1;
        level += static_cast<int>((m_noise >> 16) % static_cast<uint32_t>(span)) - m_signalVariation;
    }
    Emit(kSignalPdo, static_cast<uint8_t>(std::clamp(level, 0, 255)));
}

bool Bus::Tpdo3Active() const {
    return m_tpdo3Restarted && (m_od.tpdo3CobId & kPdoNotValid) == 0 && m_od.tpdo3Mapped >= 1;
}

bool Bus::AssociationWindowOpen() const {
    return (m_od.associationControl & kWindowOpenBit) != 0;
}

void Bus::Reschedule(int64_t at) {
    if (!(Linked() && Tpdo3Active())) {
        m_signalAt.reset();
    } else if (!m_signalAt) {
        m_signalAt = at + m_signalPeriodMs;
    }
}

void Bus::Emit(uint32_t cobId, uint8_t value) {
    if (!m_basePresent || m_lost) {
        return;
    }
    CAN_PDO pdo{};
    pdo.cobId = cobId;
    pdo.length = 1;
    pdo.data[0] = value;
    m_sink.Send(pdo);
}

std::optional<int64_t> Bus::FloodDue() const {
    const uint64_t total = static_cast<uint64_t>(m_flood.perSecond) * m_flood.durationMs / 1000;
    if (m_floodSent >= total) {
        return std::nullopt;
    }
    // The millisecond in which the next frame falls due.
    return m_anchor + static_cast<int64_t>(m_floodSent * 1000 / m_flood.perSecond);
}

void Bus::RunFlood(int64_t at) {
    const uint64_t total = static_cast<uint64_t>(m_flood.perSecond) * m_flood.durationMs / 1000;
    // Frame i falls due in millisecond i * 1000 / rate: those due by `at` number (at + 1) * rate / 1000,
    // rounded up.
    const uint64_t due =
        std::min(total, (static_cast<uint64_t>(at - m_anchor + 1) * m_flood.perSecond + 999) / 1000);
    for (; m_floodSent < due; ++m_floodSent) {
        const uint64_t i = m_floodSent;
        if (m_flood.mix == Flood::Mix::Keys) {
            // Align/View to Ok pressed and released in turn.
            Emit(kWiredKeyPdo, i % 2 ? 0 : static_cast<uint8_t>(1 + (i / 2) % 12));
            continue;
        }
        switch (i % 4) {
            case 0:
                Emit(kWirelessKeyPdo, static_cast<uint8_t>(1 + (i / 4) % 12));
                break;
            case 1:
                Emit(kWirelessKeyPdo, 0);
                break;
            case 2:
                Emit(kSignalPdo, static_cast<uint8_t>(i));
                break;
            default:
                Emit(kBatteryPdo, (i / 4) % 2 ? kBatteryLowBit : 0);
                break;
        }
    }
}

bool Bus::NodePresent(int node) const {
    if (node == kBaseRemoteNode) {
        return m_basePresent;
    }
    return std::find(m_nodes.begin(), m_nodes.end(), node) != m_nodes.end();
}

void Bus::FillNodeTable(uint8_t* table) const {
    std::memset(table, 0, CAN_NODE_TABLE_SIZE);
    for (int node = 0; node < CAN_NODE_TABLE_SIZE; ++node) {
        if (NodePresent(node)) {
            table[node] = CAN_NODE_PRESENT;
        }
    }
}

std::optional<SdoOutcome> Bus::Refusal(int node, const std::vector<uint32_t>& failing, int index,
                                       int subIndex) const {
    if (!NodePresent(node)) {
        return SdoOutcome::Aborted(SdoErrc::Timeout);
    }
    if (node != kBaseRemoteNode) {
        return SdoOutcome::Aborted(SdoErrc::NoObject);
    }
    if (Listed(failing, index, subIndex)) {
        return SdoOutcome::Aborted(SdoErrc::General);
    }
    return std::nullopt;
}

SdoOutcome Bus::Read(int node, int index, int subIndex, uint8_t* buffer, int size) const {
    if (const std::optional<SdoOutcome> refused = Refusal(node, m_faults.sdoReadFails, index, subIndex)) {
        return *refused;
    }
    return ReadObject(m_od, index, subIndex, buffer, size);
}

SdoOutcome Bus::Write(int node, int index, int subIndex, const uint8_t* data, int size, int64_t nowMs) {
    if (const std::optional<SdoOutcome> refused = Refusal(node, m_faults.sdoWriteFails, index, subIndex)) {
        return *refused;
    }
    const uint32_t cobIdBefore = m_od.tpdo3CobId;
    const uint8_t mappedBefore = m_od.tpdo3Mapped;
    const bool wasOpen = AssociationWindowOpen();
    const SdoOutcome outcome = WriteObject(m_od, index, subIndex, data, size);
    if (m_od.tpdo3CobId != cobIdBefore || m_od.tpdo3Mapped != mappedBefore) {
        m_tpdo3Restarted = false;
        m_preOperationalSeen = false;
    }
    const bool opened = !wasOpen && AssociationWindowOpen();
    if (opened && m_insertBatteriesWhenWindowOpens && !m_paired) {
        InsertBatteries(nowMs);
    }
    Reschedule(nowMs);
    return outcome;
}

bool Bus::SetNodeState(int node, int state, int64_t nowMs) {
    if (!NodePresent(node) || state < 0 || state > 255) {
        return false;
    }
    if (node == kBaseRemoteNode) {
        if (state == CAN_NODE_STATE_OPERATIONAL && m_preOperationalSeen) {
            m_tpdo3Restarted = true;
        }
        m_preOperationalSeen = state == CAN_NODE_STATE_PRE_OPERATIONAL;
        Reschedule(nowMs);
    }
    return true;
}

}  // namespace bench
