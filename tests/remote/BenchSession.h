// A recording dialog linked to the bench in virtual time, as the dialog's start-up leaves it:
// connected to the scenario's first bridge, OnPdoEvent registered, the four PDOs registered.
#pragma once

#include <string>
#include <vector>

#include "tests/support/BenchBinding.h"
#include "tests/support/RecordingPort.h"

struct BenchSession {
    explicit BenchSession(const bench::Scenario& scenario = bench::DefaultScenario());

    RecordingPort port;
    VirtualBench bench;  // after the port: it disconnects, ending callbacks, before the port goes
};

// The SDO writes the bench saw, as "index/sub:bytes" in hex ("2010/5:04").
std::vector<std::string> SdoWrites();

CAN_PDO MakePdo(uint32_t cobId, uint8_t value);
