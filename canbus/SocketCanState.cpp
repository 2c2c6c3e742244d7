#include "canbus/SocketCanState.h"

#include <linux/can/netlink.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace canbus {

namespace {

// One interface's answer: its attributes with their nested CAN data fit in a few hundred bytes.
constexpr size_t kAnswerBytes = 16384;

class NetlinkSocket {
public:
    NetlinkSocket() : m_fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}
    ~NetlinkSocket() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

const char* CanStateText(uint32_t state) {
    switch (state) {
        case CAN_STATE_ERROR_ACTIVE:
            return "up";
        case CAN_STATE_ERROR_WARNING:
            return "error-warning";
        case CAN_STATE_ERROR_PASSIVE:
            return "error-passive";
        case CAN_STATE_BUS_OFF:
            return "bus-off";
        case CAN_STATE_STOPPED:
            return "stopped";
        default:
            return "up";
    }
}

void ReadCanData(const rtattr* data, int length, InterfaceState* result, bool up) {
    for (; RTA_OK(data, length); data = RTA_NEXT(data, length)) {
        if (data->rta_type == IFLA_CAN_BITTIMING && RTA_PAYLOAD(data) >= sizeof(can_bittiming)) {
            can_bittiming timing;
            std::memcpy(&timing, RTA_DATA(data), sizeof timing);
            if (timing.bitrate != 0) {
                result->bitrate = static_cast<int>(timing.bitrate);
            }
        } else if (data->rta_type == IFLA_CAN_STATE && RTA_PAYLOAD(data) >= sizeof(uint32_t) && up) {
            uint32_t state;
            std::memcpy(&state, RTA_DATA(data), sizeof state);
            result->state = CanStateText(state);
        }
    }
}

}  // namespace

std::optional<InterfaceState> ReadInterfaceState(const std::string& name) {
    const unsigned index = ::if_nametoindex(name.c_str());
    NetlinkSocket socket;
    if (index == 0 || socket.fd() < 0) {
        return std::nullopt;
    }
    const timeval timeout{1, 0};
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    struct {
        nlmsghdr header;
        ifinfomsg info;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifinfomsg));
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.info.ifi_family = AF_UNSPEC;
    request.info.ifi_index = static_cast<int>(index);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(socket.fd(), &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                 sizeof kernel) < 0) {
        return std::nullopt;
    }
    alignas(nlmsghdr) std::array<char, kAnswerBytes> answer;
    const ssize_t received = ::recv(socket.fd(), answer.data(), answer.size(), 0);
    if (received <= 0) {
        return std::nullopt;
    }
    auto length = static_cast<unsigned>(received);
    for (auto* message = reinterpret_cast<nlmsghdr*>(answer.data()); NLMSG_OK(message, length);
         message = NLMSG_NEXT(message, length)) {
        if (message->nlmsg_type != RTM_NEWLINK) {
            continue;
        }
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(message));
        const bool up = info->ifi_flags & IFF_UP;
        InterfaceState result{up ? "up" : "down", std::nullopt};
        int attributesLength = static_cast<int>(IFLA_PAYLOAD(message));
        for (const rtattr* attribute = IFLA_RTA(info); RTA_OK(attribute, attributesLength);
             attribute = RTA_NEXT(attribute, attributesLength)) {
            if (attribute->rta_type != IFLA_LINKINFO) {
                continue;
            }
            int linkLength = static_cast<int>(RTA_PAYLOAD(attribute));
            for (const auto* link = static_cast<const rtattr*>(RTA_DATA(attribute)); RTA_OK(link, linkLength);
                 link = RTA_NEXT(link, linkLength)) {
                if (link->rta_type == IFLA_INFO_DATA) {
                    ReadCanData(static_cast<const rtattr*>(RTA_DATA(link)),
                                static_cast<int>(RTA_PAYLOAD(link)), &result, up);
                }
            }
        }
        return result;
    }
    return std::nullopt;
}

}  // namespace canbus
