// Serial ports on POSIX systems: termios raw mode, poll() with a self-pipe to wake the reader.
// Nothing blocks: the descriptor is non-blocking, every write has a deadline, and the close drops
// what the adapter has not taken instead of waiting for it.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "canbus/SerialPort.h"

namespace canbus {
namespace {

constexpr std::chrono::milliseconds kWriteTimeout{1000};
constexpr const char* kInUse =
    "the port is in use by another program; close that program or choose another adapter";

// Why `device` did not open, as a technician can act on it.
std::string OpenReason(const std::string& device, int error) {
    switch (error) {
        case EBUSY:
            return kInUse;
        case EACCES:
        case EPERM:
            return "no permission to open " + device +
                   "; add the user to the 'dialout' group (sudo usermod -aG dialout $USER) and log in again";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "the port is gone; check that the adapter is plugged in";
        default:
            return std::string("cannot open it: ") + std::strerror(error);
    }
}

class PosixSerialPort final : public SerialPort {
public:
    ~PosixSerialPort() override { Close(); }

    bool Open(const std::string& device, std::string* error) override {
        m_fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            return Fail(OpenReason(device, errno), error);
        }
        // Judged on what was opened, before any ioctl or byte: the path may have been swapped for
        // any file or device since the scan saw it.
        struct stat info {};
        if (::fstat(m_fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
            return Fail("it is not a serial port: " + Kind(info.st_mode), error);
        }
        if (::tcgetattr(m_fd, &m_found) != 0) {
            return Fail(std::string("it is not a serial port: ") + std::strerror(errno), error);
        }
        // Another program writing to the same adapter would garble both. Serial tools take the
        // advisory lock; the exclusive mode keeps out those that do not (but not root).
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            return Fail(kInUse, error);
        }
        m_restore = true;
        ::ioctl(m_fd, TIOCEXCL);
        termios settings = m_found;
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        ::cfsetispeed(&settings, B115200);
        ::cfsetospeed(&settings, B115200);
        if (::tcsetattr(m_fd, TCSANOW, &settings) != 0) {
            return Fail(std::string("cannot set the line settings: ") + std::strerror(errno), error);
        }
        ::tcflush(m_fd, TCIOFLUSH);
        if (::pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
            return Fail(std::string("pipe: ") + std::strerror(errno), error);
        }
        return true;
    }

    WriteResult Write(const char* bytes, size_t count) override {
        // One deadline for the whole write: an adapter that takes a byte now and then holds the
        // caller no longer than one that takes nothing.
        const auto deadline = std::chrono::steady_clock::now() + kWriteTimeout;
        while (count > 0) {
            const ssize_t n = ::write(m_fd, bytes, count);
            if (n > 0) {
                bytes += n;
                count -= static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno != EAGAIN) {
                return WriteResult::Gone;
            }
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd out{m_fd, POLLOUT, 0};
            const int ready = left.count() > 0 ? ::poll(&out, 1, static_cast<int>(left.count())) : 0;
            if (ready == 0) {
                return WriteResult::Busy;
            }
            if (ready < 0 && errno != EINTR) {
                return WriteResult::Gone;
            }
            if (out.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return WriteResult::Gone;
            }
        }
        return WriteResult::Written;
    }

    int Read(char* buffer, size_t capacity, std::chrono::milliseconds timeout) override {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(timeout.count()));
        if (ready < 0) {
            return errno == EINTR ? 0 : -1;
        }
        if (fds[1].revents & POLLIN) {
            char drain[16];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
            return 0;
        }
        if (ready == 0) {
            return 0;
        }
        const ssize_t n = ::read(m_fd, buffer, capacity);
        if (n > 0) {
            return static_cast<int>(n);
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            return 0;
        }
        // End of file, or EIO once a pseudo-terminal's other end or a USB device has gone.
        return -1;
    }

    void Interrupt() override {
        if (m_wake[1] >= 0) {
            const char byte = 0;
            [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
        }
    }

    void Drain() override {
        // tcdrain can block for as long as a stuck adapter holds its bytes: wait a bounded time.
        for (int i = 0; i < 100; ++i) {
            int pending = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending == 0) {
                return;
            }
            ::usleep(10000);
        }
    }

    void Close() override {
        if (m_restore) {
            // A terminal's close waits for queued output to leave (up to 30 s on a serial
            // driver), so what the bounded drain left queued is dropped first; only that, as a
            // flush also drops the last bytes a pty's far side has not read yet. Then the port is
            // left as found.
            int pending = 0;
            if (::ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending > 0) {
                ::tcflush(m_fd, TCOFLUSH);
            }
            ::ioctl(m_fd, TIOCNXCL);
            ::tcsetattr(m_fd, TCSANOW, &m_found);
            m_restore = false;
        }
        for (int* fd : {&m_fd, &m_wake[0], &m_wake[1]}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }

private:
    // What a path that is no serial port named, for the reason.
    static std::string Kind(mode_t mode) {
        if (S_ISREG(mode)) {
            return "a regular file";
        }
        return S_ISFIFO(mode) ? "a FIFO" : "not a character device";
    }

    bool Fail(const std::string& message, std::string* error) {
        if (error) {
            *error = message;
        }
        Close();
        return false;
    }

    int m_fd = -1;
    int m_wake[2] = {-1, -1};
    termios m_found{};  // the settings the port had, restored at Close
    bool m_restore = false;
};

}  // namespace

std::unique_ptr<SerialPort> NewSystemSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

bool SerialDeviceExists(const std::string& device) {
    struct stat info {};
    return ::stat(device.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

}  // namespace canbus
