// Naming adapters, and how each becomes a bridge entry.
#include <gtest/gtest.h>

#include "tolvikcan/AdapterName.h"
#include "tolvikcan/NmtTable.h"

namespace {

using tolvikcan::AdapterName;

std::vector<AdapterName> Parse(const std::string& text) {
    std::vector<AdapterName> adapters;
    std::string error;
    EXPECT_TRUE(tolvikcan::ParseAdapterNames(text, &adapters, &error)) << error;
    return adapters;
}

TEST(AdapterNameTest, ParsesKindsDevicesAndBitRates) {
    const auto adapters = Parse(" socketcan:can0 ; slcan:/dev/ttyACM0 ,bitrate=250000;slcan:COM5;");
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0].kind, AdapterName::Kind::SocketCan);
    EXPECT_EQ(adapters[0].device, "can0");
    EXPECT_EQ(adapters[1].kind, AdapterName::Kind::Slcan);
    EXPECT_EQ(adapters[1].device, "/dev/ttyACM0");
    EXPECT_EQ(adapters[1].bitrate, 250000);
    EXPECT_EQ(adapters[2].device, "COM5");
    EXPECT_EQ(adapters[2].bitrate, tolvikcan::kDefaultBitrate);
    EXPECT_TRUE(Parse("").empty());
    for (int rate : {10000, 20000, 50000, 100000, 125000, 250000, 500000, 1000000}) {
        EXPECT_EQ(Parse("slcan:x,bitrate=" + std::to_string(rate))[0].bitrate, rate);
    }
}

TEST(AdapterNameTest, MalformedNamesAreRefusedWithAReason) {
    for (const char* text : {"can0", "vcan:can0", "slcan:", "slcan: \t,bitrate=250000", "slcan:COM5,speed=5",
                             "slcan:COM5,bitrate=", "slcan:COM5,bitrate=83333", "slcan:COM5,bitrate=125000x",
                             "slcan:COM5,bitrate=800000", "socketcan:can0,bitrate=500000",
                             "slcan:COM5;slcan:COM5,bitrate=500000"}) {
        SCOPED_TRACE(text);
        std::vector<AdapterName> adapters;
        std::string error;
        EXPECT_FALSE(tolvikcan::ParseAdapterNames(text, &adapters, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(adapters.empty());
    }
}

TEST(AdapterNameTest, IdentitiesFollowTheAdapterNotItsPlaceOrRate) {
    const auto one = tolvikcan::BridgeIdentities(Parse("slcan:/dev/ttyACM0"));
    const auto two = tolvikcan::BridgeIdentities(Parse("socketcan:can0;slcan:/dev/ttyACM0,bitrate=500000"));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(one[0].mac, two[1].mac);
    EXPECT_EQ(one[0].ip, two[1].ip);
    EXPECT_NE(two[0].mac, two[1].mac);
    for (const auto& id : two) {
        EXPECT_EQ(id.mac[0], 0x02) << "locally administered, unicast";
        EXPECT_EQ(id.ip[0], 169);
        EXPECT_EQ(id.ip[1], 254);
        EXPECT_GE(id.ip[2], 1);
        EXPECT_LE(id.ip[2], 254);
    }
}

TEST(AdapterNameTest, ManyAdaptersGetDistinctAddresses) {
    std::string text;
    for (int i = 0; i < 127; ++i) {
        text += "slcan:/dev/ttyUSB" + std::to_string(i) + ";";
    }
    const auto ids = tolvikcan::BridgeIdentities(Parse(text));
    for (size_t i = 0; i < ids.size(); ++i) {
        for (size_t j = i + 1; j < ids.size(); ++j) {
            ASSERT_NE(ids[i].ip, ids[j].ip);
        }
    }
}

TEST(NmtTableTest, StatesMapToNmtCommands) {
    EXPECT_EQ(tolvikcan::NmtCommandForState(1), 0x01);
    EXPECT_EQ(tolvikcan::NmtCommandForState(2), 0x02);
    EXPECT_EQ(tolvikcan::NmtCommandForState(3), 0x80);
    for (int state : {-1, 0, 4, 5, 0x81, 0x82}) {
        EXPECT_FALSE(tolvikcan::NmtCommandForState(state)) << state;
    }
}

}  // namespace
