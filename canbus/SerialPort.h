// A serial port as the slcan channel needs it: raw bytes both ways, a read that returns as soon
// as bytes arrive, and a way to wake that read from another thread. POSIX termios or Win32.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace canbus {

class SerialPort {
public:
    enum class WriteResult { Written, Busy, Gone };

    virtual ~SerialPort() = default;
    // Opens `device` raw, 8N1 at 115200 (a USB adapter ignores the rate). False with a message.
    virtual bool Open(const std::string& device, std::string* error) = 0;
    // Writes all of `bytes`; Busy when the port has not taken them all within a second.
    virtual WriteResult Write(const char* bytes, size_t count) = 0;
    // Waits up to `timeout` for bytes: the count read, 0 when none came in time or Interrupt
    // was called, -1 when the port is gone (unplugged, hung up).
    virtual int Read(char* buffer, size_t capacity, std::chrono::milliseconds timeout) = 0;
    // Makes a Read that waits, or the next one, return 0 at once. Any thread.
    virtual void Interrupt() = 0;
    // Waits until the bytes written have left (bounded).
    virtual void Drain() = 0;
    // Drops what the port has not sent rather than wait for it.
    virtual void Close() = 0;
};

// The operating system's serial port.
std::unique_ptr<SerialPort> NewSystemSerialPort();

// Whether `device` names a serial port that exists, without opening it.
bool SerialDeviceExists(const std::string& device);

}  // namespace canbus
