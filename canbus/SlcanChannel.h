// A CAN channel through an slcan adapter on a serial port. Opening closes any channel the
// adapter left open, sets the bit rate and opens the channel, learning on the way how the
// adapter acknowledges (nothing, CR, z/Z; BEL for errors). That is only ever waited for while
// opening: frames are sent without waiting for their acknowledgement.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "canbus/FrameChannel.h"
#include "canbus/SerialPort.h"
#include "canbus/Slcan.h"

namespace canbus {

class SlcanChannel final : public FrameChannel {
public:
    enum class Acks { None, CarriageReturn };

    struct Counters {
        uint64_t acks = 0;
        uint64_t errors = 0;  // BEL: the adapter refused a command or a frame
        uint64_t unknownLines = 0;
        uint64_t overlongLines = 0;
    };

    SlcanChannel(std::unique_ptr<SerialPort> port, std::string device, int bitsPerSecond);
    ~SlcanChannel() override;

    bool Open(FrameSink& sink, std::string* error) override;
    bool Send(const CanFrame& frame) override;
    void Close() override;

    // How the adapter answered the commands of the opening.
    Acks AckDialect() const { return m_acks; }
    Counters Count() const;

private:
    class Intake;
    // Clears the line before the opening's commands; false when the port is gone or takes nothing.
    bool Flush();
    // Sends `command` and waits a short while for the adapter's answer: 1 an ack, -1 a BEL,
    // 0 nothing in time (or the port is gone or took nothing within its write bound: `gone` set).
    int Command(const std::string& command, Intake& intake, bool* gone);
    void ReaderLoop();

    std::unique_ptr<SerialPort> m_port;
    const std::string m_device;
    const int m_bitsPerSecond;
    FrameSink* m_sink = nullptr;
    std::unique_ptr<Intake> m_intake;
    std::thread m_reader;
    mutable std::mutex m_writeMutex;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_lost{false};
    bool m_open = false;  // guarded by m_writeMutex
    Acks m_acks = Acks::None;
};

}  // namespace canbus
