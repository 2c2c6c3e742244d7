// The chooser's rows, rates and adapter names, as both front ends show and hand them on.
#include <gtest/gtest.h>

#include <algorithm>

#include "chooser/AdapterChoice.h"

using chooser::Adapter;
using chooser::AdapterKind;
using chooser::Choice;

namespace {

TEST(AdapterChoiceTest, RowsSayWhatTheSystemListed) {
    const struct {
        Adapter adapter;
        const char* row;
    } rows[] = {
        {chooser::SerialAdapter("/dev/ttyACM0", "CANable 2.0", "Openlight Labs"),
         "/dev/ttyACM0 - CANable 2.0, Openlight Labs"},
        {chooser::SerialAdapter("/dev/ttyUSB0", "FTDI FT232R USB UART", "FTDI"),
         "/dev/ttyUSB0 - FTDI FT232R USB UART"},
        {chooser::SerialAdapter("/dev/ttyS0", "", ""), "/dev/ttyS0 - serial port"},
        {chooser::SerialAdapter("COM5", "USB Serial Device (COM5)", ""), "COM5 - USB Serial Device (COM5)"},
        {chooser::SocketCanAdapter("can0", "up", 500000), "can0 - SocketCAN, up, 500 kbit/s"},
        {chooser::SocketCanAdapter("can1", "down", std::nullopt), "can1 - SocketCAN, down"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(chooser::RowText(row.adapter), row.row);
    }
    EXPECT_EQ(chooser::InterfaceBitrateText(rows[4].adapter), "500 kbit/s, set by the interface");
    EXPECT_NE(chooser::InterfaceBitrateText(rows[5].adapter).find("ip link set can1 up type can bitrate"),
              std::string::npos);
}

TEST(AdapterChoiceTest, SerialRatesIncludeHundredButNotEightHundred) {
    const auto rates = chooser::SerialBitrates();
    EXPECT_TRUE(std::ranges::is_sorted(rates));
    EXPECT_NE(std::ranges::find(rates, 100000), rates.end());
    EXPECT_NE(std::ranges::find(rates, chooser::kDefaultSerialBitrate), rates.end());
    EXPECT_EQ(std::ranges::find(rates, 800000), rates.end());
    EXPECT_EQ(chooser::BitrateText(100000), "100 kbit/s");
    EXPECT_EQ(chooser::BitrateText(1000000), "1 Mbit/s");
}

TEST(AdapterChoiceTest, AdapterTextsReadBackAndStrangeOnesAreRefused) {
    for (const Choice& choice :
         {Choice{AdapterKind::Slcan, "/dev/ttyUSB0", 100000}, Choice{AdapterKind::Slcan, "COM5", 1000000},
          Choice{AdapterKind::SocketCan, "can0", chooser::kDefaultSerialBitrate}}) {
        const std::string text = chooser::AdapterText(choice);
        const auto back = chooser::ParseAdapterText(text);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(chooser::AdapterText(*back), text);
    }
    EXPECT_EQ(chooser::AdapterText({AdapterKind::Slcan, "COM5", 250000}), "slcan:COM5,bitrate=250000");
    EXPECT_EQ(chooser::AdapterText({AdapterKind::SocketCan, "can0", 250000}), "socketcan:can0");
    EXPECT_EQ(chooser::ParseAdapterText("slcan:COM5")->bitrate, chooser::kDefaultSerialBitrate);
    // Whatever stands in the settings file must not become two adapters or a refused rate.
    for (const char* text :
         {"", "slcan:", "socketcan:", "vcan:can0", "slcan:COM5,bitrate=800000", "slcan:COM5,bitrate=12x",
          "slcan:COM5;socketcan:can0", "socketcan:can0,bitrate=500000"}) {
        EXPECT_FALSE(chooser::ParseAdapterText(text)) << text;
    }
}

TEST(AdapterChoiceTest, TheRememberedAdapterIsPreselectedWhenListed) {
    const std::vector<Adapter> adapters = {chooser::SocketCanAdapter("can0", "up", std::nullopt),
                                           chooser::SerialAdapter("/dev/ttyACM0", "", ""),
                                           chooser::SerialAdapter("/dev/ttyUSB0", "", "")};
    EXPECT_EQ(chooser::PreselectedRow(adapters, Choice{AdapterKind::Slcan, "/dev/ttyUSB0"}), 2u);
    EXPECT_EQ(chooser::PreselectedRow(adapters, Choice{AdapterKind::Slcan, "/dev/ttyUSB9"}), 0u);
    EXPECT_EQ(chooser::PreselectedRow(adapters, Choice{AdapterKind::SocketCan, "/dev/ttyUSB0"}), 0u)
        << "the same device of another kind is another adapter";
    EXPECT_EQ(chooser::PreselectedRow(adapters, std::nullopt), 0u);
    EXPECT_EQ(chooser::PreselectedRow({}, Choice{AdapterKind::Slcan, "COM5"}), std::nullopt);
}

}  // namespace
