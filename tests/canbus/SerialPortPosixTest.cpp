// The system's serial port on POSIX: what is no serial port is refused, with a reason, before
// anything is done to it; a pty is left as found; a far side that stops reading, or drips, makes
// writes and the close give up instead of waiting.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "canbus/SerialPort.h"
#include "canbus/SlcanChannel.h"

namespace {

using canbus::SerialPort;

struct NoFrames final : canbus::FrameSink {
    void OnFrame(const canbus::CanFrame&) override {}
    void OnLinkLost() override {}
};

// A pseudo-terminal whose far side the test holds and never reads unless it says so; `held`
// keeps the device side open so its settings outlive the port's close.
struct Pty {
    Pty() {
        far = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (far >= 0 && grantpt(far) == 0 && unlockpt(far) == 0) {
            device = ptsname(far);
            held = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        }
    }
    ~Pty() {
        close(held);
        close(far);
    }
    int far = -1;
    int held = -1;
    std::string device;
};

TEST(PosixSerialPort, RefusesWhatIsNoSerialPortBeforeWritingToIt) {
    const std::string dir = testing::TempDir() + "serial." + std::to_string(getpid());
    const std::string fifo = dir + "/fifo", file = dir + "/file", loop = dir + "/loop";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    std::fclose(std::fopen(file.c_str(), "w"));
    const int fifoReader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{fifo, "is not a serial port: a FIFO"},
                 {file, "is not a serial port: a regular file"},
                 {dir, "Is a directory"},
                 {"/dev/null", "is not a serial port: Inappropriate ioctl"},
                 {"/dev/zero", "is not a serial port: Inappropriate ioctl"},
                 {loop, "Too many levels of symbolic links"},
                 {"/" + std::string(5000, 'x'), "File name too long"}};
    for (const auto& c : cases) {
        canbus::SlcanChannel channel(canbus::NewSystemSerialPort(), c.path, 125000);
        NoFrames sink;
        std::string error;
        EXPECT_FALSE(channel.Open(sink, &error)) << c.path;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    char byte;
    EXPECT_LE(read(fifoReader, &byte, 1), 0) << "written to the FIFO";
    struct stat info {};
    EXPECT_EQ(stat(file.c_str(), &info) == 0 ? info.st_size : -1, 0) << "written to the file";
    close(fifoReader);
    for (const std::string& path : {fifo, file, loop, dir}) {
        std::remove(path.c_str());
    }
}

TEST(PosixSerialPort, PtyThatStopsReadingFailsSendsClosesAndIsLeftAsFound) {
    Pty pty;
    ASSERT_GE(pty.held, 0);
    termios found{};
    ASSERT_EQ(tcgetattr(pty.held, &found), 0);
    NoFrames sink;
    canbus::SlcanChannel channel(canbus::NewSystemSerialPort(), pty.device, 125000);
    std::string error;
    ASSERT_TRUE(channel.Open(sink, &error)) << error;
    canbus::CanFrame frame;
    frame.id = 0x123;
    frame.length = 8;
    int sent = 0;
    while (channel.Send(frame) && sent < 100000) {
        ++sent;
    }
    EXPECT_LT(sent, 100000) << "the pty never filled";
    channel.Close();

    termios left{};
    ASSERT_EQ(tcgetattr(pty.held, &left), 0);
    EXPECT_EQ(left.c_iflag, found.c_iflag);
    EXPECT_EQ(left.c_oflag, found.c_oflag);
    EXPECT_EQ(left.c_cflag, found.c_cflag);
    EXPECT_EQ(left.c_lflag, found.c_lflag);
    int exclusive = -1;
    EXPECT_EQ(ioctl(pty.held, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

// The deadline is for the whole write: a far side that takes a little now and then must not
// stretch a long write without end.
TEST(PosixSerialPort, LongWriteToAFarSideThatStopsOrDripsIsBusy) {
    for (const bool drips : {false, true}) {
        Pty pty;
        const auto port = canbus::NewSystemSerialPort();
        std::string error;
        ASSERT_TRUE(port->Open(pty.device, &error)) << error;
        std::atomic<bool> done{false};
        std::thread reader([&] {
            char chunk[4096];
            while (drips && !done) {
                [[maybe_unused]] const ssize_t n = read(pty.far, chunk, sizeof chunk);
                usleep(20000);
            }
        });
        const std::vector<char> bytes(1 << 20, 'x');
        EXPECT_EQ(port->Write(bytes.data(), bytes.size()), SerialPort::WriteResult::Busy) << drips;
        done = true;
        reader.join();
        port->Close();
    }
}

}  // namespace
