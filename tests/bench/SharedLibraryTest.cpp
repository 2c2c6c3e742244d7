// The built bench library as the tool loads it: the twelve entry points by name, nothing of
// the bench's C++ inside, and a scenario named by TOLVIK_BENCH_SCENARIO on its first call.
#include <stdlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "canlink/QuarnCANopen.h"
#include "platform/SharedLibrary.h"

namespace {

#define TOLVIK_OPERATION_NAME(name, result, parameters, arguments) #name,
const char* const kOperations[] = {CAN_OPERATIONS(TOLVIK_OPERATION_NAME)};
#undef TOLVIK_OPERATION_NAME

template <typename Entry>
Entry Find(const platform::SharedLibrary& library, const char* name) {
    return reinterpret_cast<Entry>(platform::FindSymbol(library, name));
}

void SetScenarioVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("TOLVIK_BENCH_SCENARIO", value ? value : "");  // an empty value removes it
#else
    if (value) {
        setenv("TOLVIK_BENCH_SCENARIO", value, 1);
    } else {
        unsetenv("TOLVIK_BENCH_SCENARIO");
    }
#endif
}

// The only test that calls into the library: its first call reads the environment.
TEST(BenchSharedLibrary, ExportsTheOperationsAndRunsTheNamedScenario) {
    const std::string scenario = std::string(TOLVIK_BENCH_SCENARIOS) + "/several-bridges.txt";
    SetScenarioVariable(scenario.c_str());
    std::string error;
    const platform::SharedLibrary library = platform::OpenSharedLibrary(TOLVIK_BENCH_LIBRARY, &error);
    ASSERT_TRUE(library) << error;
    for (const char* name : kOperations) {
        EXPECT_NE(platform::FindSymbol(library, name), nullptr) << name;
    }
    EXPECT_EQ(platform::FindSymbol(library, "_ZN5bench11CAN_ConnectEj"), nullptr)
        << "the C++ operations stay hidden";
    EXPECT_EQ(platform::FindSymbol(library, "_ZN5bench15DefaultScenarioEv"), nullptr);

    const auto enumerate = Find<PFN_CAN_EnumerateBridges>(library, "CAN_EnumerateBridges");
    const auto connect = Find<PFN_CAN_Connect>(library, "CAN_Connect");
    const auto nodes = Find<PFN_CAN_EnumerateNodes>(library, "CAN_EnumerateNodes");
    const auto disconnect = Find<PFN_CAN_Disconnect>(library, "CAN_Disconnect");
    ASSERT_TRUE(enumerate && connect && nodes && disconnect);

    CAN_BRIDGE_INFO list[127] = {};
    ASSERT_EQ(enumerate(list, 127), 3);
    EXPECT_EQ(list[1].ipAddress[3], 2);
    uint32_t address = 0;
    std::memcpy(&address, list[1].ipAddress, sizeof address);
    ASSERT_EQ(connect(address), 1);
    uint8_t table[128] = {};
    EXPECT_EQ(nodes(table), 1);
    EXPECT_EQ(table[72], 2);
    EXPECT_EQ(disconnect(), 1);
    SetScenarioVariable(nullptr);
}

}  // namespace
