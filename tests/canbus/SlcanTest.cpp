// The slcan text protocol: frames both ways and what real adapters send back, fed as bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canbus/Slcan.h"

namespace {

using canbus::CanFrame;
using canbus::slcan::LineParser;

struct Collected final : LineParser::Events {
    void OnFrame(const CanFrame& frame) override { frames.push_back(frame); }
    void OnAck() override { ++acks; }
    void OnError() override { ++errors; }
    std::vector<CanFrame> frames;
    int acks = 0;
    int errors = 0;
};

Collected Parse(LineParser& parser, const std::string& bytes) {
    Collected events;
    parser.Feed(bytes.data(), bytes.size(), events);
    return events;
}

TEST(SlcanTest, EncodesEveryFrameKind) {
    EXPECT_EQ(canbus::slcan::EncodeFrame(canbus::MakeFrame(0x1C8, {0x02})), "t1C8102\r");
    EXPECT_EQ(canbus::slcan::EncodeFrame(canbus::MakeFrame(0x000, {0x80, 0x48})), "t00028048\r");
    EXPECT_EQ(canbus::slcan::EncodeFrame(canbus::MakeFrame(0x7FF, {})), "t7FF0\r");
    CanFrame extended = canbus::MakeFrame(0x1ABCDEF0, {1, 2, 3, 4, 5, 6, 7, 8});
    extended.extended = true;
    EXPECT_EQ(canbus::slcan::EncodeFrame(extended), "T1ABCDEF080102030405060708\r");
    CanFrame remote = canbus::MakeFrame(0x123, {});
    remote.remote = true;
    remote.length = 2;
    EXPECT_EQ(canbus::slcan::EncodeFrame(remote), "r1232\r");
}

TEST(SlcanTest, BitRatesHaveOneMeaningOnEveryAdapter) {
    EXPECT_EQ(canbus::slcan::BitrateCommand(10000), "S0\r");
    EXPECT_EQ(canbus::slcan::BitrateCommand(125000), "S4\r");
    EXPECT_EQ(canbus::slcan::BitrateCommand(1000000), "S8\r");
    EXPECT_FALSE(canbus::slcan::BitrateCommand(800000)) << "S7 is 800k on some adapters, 750k on others";
    EXPECT_EQ(canbus::slcan::BitrateCommand(100000), "S3\r");
    EXPECT_FALSE(canbus::slcan::BitrateCommand(83333)) << "no command of its own on most adapters";
}

TEST(SlcanTest, ParsesFramesWithCrOrCrlfAndOptionalTimestamps) {
    LineParser parser;
    const Collected got = Parse(parser, "t1C8102\rt3C9112\r\nt2C9101AB12\rT1ABCDEF0201FF\rr1230\r");
    ASSERT_EQ(got.frames.size(), 5u);
    EXPECT_EQ(got.frames[0], canbus::MakeFrame(0x1C8, {0x02}));
    EXPECT_EQ(got.frames[1], canbus::MakeFrame(0x3C9, {0x12}));
    EXPECT_EQ(got.frames[2], canbus::MakeFrame(0x2C9, {0x01}));  // timestamp AB12 dropped
    EXPECT_TRUE(got.frames[3].extended);
    EXPECT_EQ(got.frames[3].id, 0x1ABCDEF0u);
    EXPECT_TRUE(got.frames[4].remote);
    EXPECT_EQ(got.acks, 0) << "the LF of a CRLF is no empty line";
    EXPECT_EQ(parser.UnknownLines(), 0u);
}

TEST(SlcanTest, FrameSplitAcrossReadsIsJoined) {
    LineParser parser;
    Collected events;
    for (char c : std::string("t58")) {
        parser.Feed(&c, 1, events);
    }
    const std::string rest = "884B00100091010F00\r";
    parser.Feed(rest.data(), rest.size(), events);
    ASSERT_EQ(events.frames.size(), 1u);
    EXPECT_EQ(events.frames[0].id, 0x588u);
    EXPECT_EQ(events.frames[0].data[0], 0x4B);
}

TEST(SlcanTest, AcknowledgementDialects) {
    LineParser parser;
    const Collected cr = Parse(parser, "\r\r\n");
    EXPECT_EQ(cr.acks, 2);
    const Collected z = Parse(parser, "z\rZ\r\n");
    EXPECT_EQ(z.acks, 2);
    const Collected bell = Parse(parser, "\a\a");
    EXPECT_EQ(bell.errors, 2);
    EXPECT_EQ(bell.acks, 0) << "BEL comes without a line end";
    EXPECT_EQ(parser.UnknownLines(), 0u);
}

TEST(SlcanTest, UnknownAndMalformedLinesAreCountedAndSkipped) {
    LineParser parser;
    const Collected got =
        Parse(parser, "V1013\rF00\rt1C8\rt1C8902\rt1C81GG\rt80010\rt1C8102X\rt1C810212345\rhello\rt1C8105\r");
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0], canbus::MakeFrame(0x1C8, {0x05}));
    EXPECT_EQ(parser.UnknownLines(), 9u);
}

TEST(SlcanTest, OverlongLineIsDiscardedWithoutOverrun) {
    LineParser parser;
    const std::string garbage(10000, '7');
    const Collected got = Parse(parser, garbage + "\rt1C8101\r");
    ASSERT_EQ(got.frames.size(), 1u);
    EXPECT_EQ(got.frames[0].data[0], 1);
    EXPECT_EQ(parser.OverlongLines(), 1u);
    EXPECT_EQ(parser.UnknownLines(), 0u);
}

}  // namespace
