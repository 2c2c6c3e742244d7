// The system's serial port on POSIX: what is no serial port is refused with a reason and nothing
// written to it; a pty is taken, its writes give up when the far side stops or drips, and it is
// left as found.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "canbus/SerialPort.h"

namespace {

using canbus::SerialPort;

TEST(PosixSerialPort, RefusesWhatIsNoSerialPortWithAReasonAndWritesNothing) {
    const std::string dir = testing::TempDir() + "serial." + std::to_string(getpid());
    const std::string fifo = dir + "/fifo", file = dir + "/file", loop = dir + "/loop";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    close(open(file.c_str(), O_CREAT | O_WRONLY, 0600));
    const int fifoReader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const std::pair<std::string, const char*> cases[] = {
        {fifo, "is not a serial port: a FIFO"},
        {file, "is not a serial port: a regular file"},
        {dir, "Is a directory"},
        {"/dev/null", "is not a serial port: Inappropriate ioctl"},
        {"/dev/zero", "is not a serial port: Inappropriate ioctl"},
        {loop, "Too many levels of symbolic links"},
        {"/" + std::string(5000, 'x'), "File name too long"}};
    for (const auto& [path, reason] : cases) {
        std::string error;
        EXPECT_FALSE(canbus::NewSystemSerialPort()->Open(path, &error)) << path;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    char byte;
    EXPECT_LE(read(fifoReader, &byte, 1), 0) << "written to the FIFO";
    struct stat info {};
    EXPECT_TRUE(stat(file.c_str(), &info) == 0 && info.st_size == 0) << "written to the file";
    close(fifoReader);
    for (const std::string& path : {fifo, file, loop, dir}) {
        remove(path.c_str());
    }
}

// The deadline is for the whole write: a far side that takes a little now and then must not
// stretch it without end. The pty's own end is held open, so its settings outlive the close.
TEST(PosixSerialPort, PtyWritesGiveUpWhenTheFarSideStopsOrDripsAndItIsLeftAsFound) {
    const int far = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_TRUE(far >= 0 && grantpt(far) == 0 && unlockpt(far) == 0);
    const std::string device = ptsname(far);
    const int held = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios found{};
    ASSERT_EQ(tcgetattr(held, &found), 0);
    const auto port = canbus::NewSystemSerialPort();
    std::string error;
    ASSERT_TRUE(port->Open(device, &error)) << error;
    const std::vector<char> bytes(1 << 20, 'x');
    for (const bool drips : {false, true}) {
        std::atomic<bool> done{false};
        std::thread reader([&] {
            for (char chunk[4096]; drips && !done; usleep(20000)) {
                [[maybe_unused]] const ssize_t n = read(far, chunk, sizeof chunk);
            }
        });
        EXPECT_EQ(port->Write(bytes.data(), bytes.size()), SerialPort::WriteResult::Busy) << drips;
        done = true;
        reader.join();
    }
    port->Close();
    termios left{};
    int exclusive = -1;
    ASSERT_EQ(tcgetattr(held, &left), 0);
    EXPECT_TRUE(left.c_iflag == found.c_iflag && left.c_oflag == found.c_oflag &&
                left.c_cflag == found.c_cflag && left.c_lflag == found.c_lflag);
    EXPECT_TRUE(ioctl(held, TIOCGEXCL, &exclusive) == 0 && exclusive == 0);
    close(held);
    close(far);
}

}  // namespace
