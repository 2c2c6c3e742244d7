// A CAN channel on a Linux SocketCAN interface (can0, ...) through a raw socket. The bit rate
// belongs to the interface and is set when it is brought up (ip link set can0 up type can
// bitrate N); a raw socket cannot change it.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "canbus/FrameChannel.h"

namespace canbus {

class SocketCanChannel final : public FrameChannel {
public:
    explicit SocketCanChannel(std::string interfaceName) : m_interface(std::move(interfaceName)) {}
    ~SocketCanChannel() override;

    bool Open(FrameSink& sink, std::string* error) override;
    bool Send(const CanFrame& frame) override;
    void Close() override;

private:
    void ReaderLoop();

    const std::string m_interface;
    FrameSink* m_sink = nullptr;
    int m_socket = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_reader;
    std::mutex m_mutex;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_lost{false};
};

// Whether a network interface of that name exists (it may still not be a CAN interface).
bool NetworkInterfaceExists(const std::string& name);

}  // namespace canbus
