// Brings a bench up as the tool does and records what its callback is handed.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/Bench.h"

// What OnPdoEvent fetched since the last call, in order.
std::vector<CAN_PDO> TakeReceived();
void RecordingCallback(int count);
void NoSecondary(int event, int data);

// The first four bytes of a bridge entry as CAN_Connect takes them.
uint32_t AddressOf(const std::array<uint8_t, 4>& ip);

// Connects to the first bridge of `scenario`, sets a 5000-PDO buffer, registers
// RecordingCallback and the four PDOs of the remotes. Expects each step to succeed.
void OpenLink(const bench::Scenario& scenario);
// Loads `scenario` in virtual time and opens the link.
void Link(const bench::Scenario& scenario);

CAN_PDO Frame(uint32_t cobId, uint8_t value);
// The (COB-ID, byte 0) pairs of `frames`, for readable comparisons.
std::vector<std::pair<uint32_t, int>> Pairs(const std::vector<CAN_PDO>& frames);
