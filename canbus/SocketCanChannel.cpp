#include "canbus/SocketCanChannel.h"

#include <fcntl.h>
#include <linux/can.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace canbus {
namespace {

constexpr std::chrono::milliseconds kSendTimeout{1000};
// ENOBUFS comes from the interface's queue, which poll() does not watch: retried at this pace.
constexpr int kFullQueueRetryMs = 5;

void CloseDescriptor(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

SocketCanChannel::~SocketCanChannel() {
    Close();
}

bool SocketCanChannel::Open(FrameSink& sink, std::string* error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto fail = [&](const std::string& why) {
        if (error) {
            *error = why;
        }
        CloseDescriptor(m_socket);
        CloseDescriptor(m_wake[0]);
        CloseDescriptor(m_wake[1]);
        return false;
    };
    const auto failWithErrno = [&](const std::string& what) {
        return fail(what + ": " + std::strerror(errno));
    };
    if (m_reader.joinable()) {
        return fail("already open");
    }
    if (m_interface.size() >= IFNAMSIZ) {
        return fail("'" + m_interface + "' is longer than an interface name may be (" +
                    std::to_string(IFNAMSIZ - 1) + " characters)");
    }
    m_socket = ::socket(PF_CAN, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, CAN_RAW);
    if (m_socket < 0) {
        return failWithErrno(
            "cannot reach " + m_interface +
            ": no CAN sockets on this system (load the kernel's CAN support: modprobe can-raw)");
    }
    ifreq request{};
    std::memcpy(request.ifr_name, m_interface.c_str(), m_interface.size() + 1);
    if (::ioctl(m_socket, SIOCGIFFLAGS, &request) == 0 && !(request.ifr_flags & IFF_UP)) {
        // A down interface takes the bind and then carries nothing.
        return fail("interface " + m_interface + " is down; bring it up with 'ip link set " + m_interface +
                    " up type can bitrate 125000'");
    }
    if (::ioctl(m_socket, SIOCGIFINDEX, &request) != 0) {
        return failWithErrno("no interface " + m_interface + " ('ip link' lists the interfaces)");
    }
    sockaddr_can address{};
    address.can_family = AF_CAN;
    address.can_ifindex = request.ifr_ifindex;
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return failWithErrno("cannot use interface " + m_interface + " (is it a CAN interface?)");
    }
    if (::pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        return failWithErrno("pipe");
    }
    m_sink = &sink;
    m_stopping = false;
    m_lost = false;
    m_reader = std::thread([this] { ReaderLoop(); });
    return true;
}

bool SocketCanChannel::Send(const CanFrame& frame) {
    if (!IsValid(frame)) {
        return false;
    }
    can_frame raw{};
    raw.can_id = frame.id | (frame.extended ? CAN_EFF_FLAG : 0) | (frame.remote ? CAN_RTR_FLAG : 0);
    raw.can_dlc = frame.length;
    std::memcpy(raw.data, frame.data.data(), frame.length);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_socket < 0 || m_lost) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kSendTimeout;
    for (;;) {
        if (::write(m_socket, &raw, sizeof raw) == static_cast<ssize_t>(sizeof raw)) {
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        // The socket's buffer or the interface's transmit queue is full: room is waited for
        // until one deadline for the whole send.
        if (errno == EAGAIN || errno == ENOBUFS) {
            const bool queueFull = errno == ENOBUFS;
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            const int wait = static_cast<int>(left.count());
            if (queueFull) {
                ::poll(nullptr, 0, std::min(wait, kFullQueueRetryMs));
            } else {
                pollfd out{m_socket, POLLOUT, 0};
                ::poll(&out, 1, wait);
            }
            continue;
        }
        if (errno == ENETDOWN || errno == ENODEV) {
            m_lost = true;
        }
        return false;
    }
}

void SocketCanChannel::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_reader.joinable()) {
        return;
    }
    m_stopping = true;
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
    m_reader.join();
    CloseDescriptor(m_socket);
    CloseDescriptor(m_wake[0]);
    CloseDescriptor(m_wake[1]);
}

void SocketCanChannel::ReaderLoop() {
    while (!m_stopping) {
        pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents & POLLIN) {
            continue;
        }
        can_frame raw{};
        const ssize_t n = ::read(m_socket, &raw, sizeof raw);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n != static_cast<ssize_t>(sizeof raw)) {
            break;  // the interface went down or away
        }
        if (raw.can_id & CAN_ERR_FLAG) {
            continue;
        }
        CanFrame frame;
        frame.extended = (raw.can_id & CAN_EFF_FLAG) != 0;
        frame.remote = (raw.can_id & CAN_RTR_FLAG) != 0;
        frame.id = raw.can_id & (frame.extended ? CAN_EFF_MASK : CAN_SFF_MASK);
        frame.length = raw.can_dlc > 8 ? 8 : raw.can_dlc;
        std::memcpy(frame.data.data(), raw.data, frame.length);
        m_sink->OnFrame(frame);
    }
    if (!m_stopping) {
        m_lost = true;
        m_sink->OnLinkLost();
    }
}

bool NetworkInterfaceExists(const std::string& name) {
    return ::if_nametoindex(name.c_str()) != 0;
}

}  // namespace canbus
