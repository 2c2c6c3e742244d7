// The simulated bench: a stand-in for the closed bridge library, with the bridges, the CANopen
// bus and the instrument's remotes behind it. The exported C library forwards to the twelve
// operations below; tests link the bench statically and drive it through the control API.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "canlink/QuarnCANopen.h"

namespace bench {

// ---- The twelve operations (the signatures canlink/QuarnCANopen.h lists, the library's results) ----
#define TOLVIK_BENCH_OPERATION(name, result, parameters, arguments) result name parameters;
CAN_OPERATIONS(TOLVIK_BENCH_OPERATION)
#undef TOLVIK_BENCH_OPERATION

// ---- Scenarios ----
struct BridgeSpec {
    std::array<uint8_t, 4> ip{};
    std::array<uint8_t, 6> mac{};
    bool reachable = true;  // an unreachable bridge answers no scan and refuses connections
    int connectionLimit = 1;
    int connectionsInUse = 0;  // held by other workstations; a connect fails once they reach the limit
};

// Faults at every step the tool takes.
struct Faults {
    bool scanError = false;              // CAN_EnumerateBridges answers -1
    bool connectRefused = false;         // CAN_Connect answers -1
    bool enumerateNodesFails = false;    // CAN_EnumerateNodes answers 0
    bool bufferSizeRefused = false;      // CAN_SetPDOBufferSize answers 0
    bool registerEventsRefused = false;  // CAN_RegisterEvents answers 0
    bool transmitRefused = false;        // CAN_TransmitPDO answers 0
    // SDO accesses that fail, as (index << 8 | subIndex); read and write apart.
    std::vector<uint32_t> sdoReadFails;
    std::vector<uint32_t> sdoWriteFails;
};

enum class EventKind {
    KeyDown,  // code: key code; wireless: which remote
    KeyUp,    // wireless: which remote
    BatteryLow,
    BatteryOk,
    Signal,             // code: signal level 0..255
    BatteriesInserted,  // the wireless remote powers up (pairs if the association window is open)
    BridgeLost,         // the connected bridge drops off: no more PDOs, SDO and transmit calls fail
};

struct TimelineEvent {
    int atMs = 0;  // from the moment the tool connects
    EventKind kind = EventKind::KeyDown;
    bool wireless = false;
    int code = 0;
};

// A stream of frames from the moment the tool connects, as a faulty or overloaded bus produces.
struct Flood {
    enum class Mix {
        Keys,   // base remote key presses and releases: each one a status line
        Mixed,  // wireless key press, release, signal and battery in turn (paired or not)
    };
    uint32_t perSecond = 0;  // 0: no flood
    uint32_t durationMs = 0;
    Mix mix = Mix::Mixed;
};

struct Scenario {
    std::vector<BridgeSpec> bridges;
    std::vector<int> nodes;            // node IDs present on the bus besides the base remote
    bool baseRemotePresent = true;     // node 72
    uint32_t revision = 0x00040000;    // 0x1018/3
    std::vector<uint8_t> versionText;  // 0x100A/0, raw bytes; need not end in a zero byte
    uint32_t tpdo3CobId = 0x800003C8;  // 0x1802/1 (bit 31 = not valid)
    uint8_t tpdo3Mapped = 0;           // 0x1A02/0
    uint8_t associationControl = 0;    // 0x2010/5
    bool wirelessPaired = false;       // already paired at start
    bool wirelessBatteryLow = false;
    int signalLevel = 180;     // what the paired remote reports on 0x3C8
    int signalVariation = 0;   // each report wanders from signalLevel by up to this much
    int signalPeriodMs = 500;  // steady rate of 0x3C8 while TPDO3 is active and paired
    int pairDelayMs = 3000;    // after the batteries go in (default scenario: inserted when the window opens)
    bool insertBatteriesWhenWindowOpens = false;
    bool echoTransmitted = false;  // transmitted frames also arrive on the receive side
    Faults faults;
    std::vector<TimelineEvent> timeline;
    Flood flood;
};

// One bridge at the tool's default address, a compatible base remote and an unpaired wireless
// remote whose batteries go in shortly after the association window opens.
Scenario DefaultScenario();
// Reads the text format of bench/README.md. False with a message naming the line on error.
bool ParseScenario(const std::string& text, Scenario* scenario, std::string* error);
bool LoadScenarioFile(const std::string& path, Scenario* scenario, std::string* error);
// What the library starts with when TOLVIK_BENCH_SCENARIO is `path` (null or empty: the default
// scenario). A file that cannot be used gives a network with no bridges, and `message` says why.
Scenario StartupScenario(const char* path, std::string* message);

// ---- Control API for tests (any thread but the bench's own) ----
// Resets the bench to a fresh, disconnected state running `scenario`.
void Load(const Scenario& scenario);
// From now on bench time moves only through Advance (until the next Load).
void UseVirtualTime();
// Moves bench time on by `ms`, running due timeline and periodic events, then waits until every
// PDO that became due has been handed to the callback and the callback has returned.
void Advance(int ms);
// Waits until no PDO is waiting and no callback runs (bounded: false after `timeoutMs`).
bool WaitIdle(int timeoutMs = 5000);
// A frame from the bus, as if a node had sent it.
void InjectPdo(const CAN_PDO& pdo);

struct SdoAccess {
    bool write;
    int node, index, subIndex;
    std::vector<uint8_t> data;  // bytes written, or bytes handed back by a read
    int result;
};
std::vector<CAN_PDO> Transmitted();
std::vector<CAN_PDO> Registered();
std::vector<SdoAccess> SdoLog();
std::vector<std::pair<int, int>> NodeStateLog();  // (node, state)
uint32_t ObjectValue(int index, int subIndex);    // current value in the base remote's dictionary
bool WirelessPaired();
bool AssociationWindowOpen();
uint64_t DeliveredCount();  // PDOs handed out by CAN_GetPDO
uint64_t DroppedCount();    // PDOs dropped because the buffer was full
int ConnectCount();
int DisconnectCount();  // disconnects that ended a connection
int DisconnectCalls();  // every call, whether or not anything was connected

}  // namespace bench
