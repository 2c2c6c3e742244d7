// Serial ports on Windows: \\.\COMn with overlapped I/O, so that a write never waits behind a
// pending read, and COMMTIMEOUTS under which a read returns as soon as any byte has arrived.
#include <windows.h>

#include "canbus/SerialPort.h"

namespace canbus {
namespace {

constexpr DWORD kWriteTimeoutMs = 1000;

// Why a port did not open, as a technician can act on it.
std::string OpenReason(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return "the port is in use by another program; close that program or choose another adapter";
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "the port is gone; check that the adapter is plugged in";
        default:
            return "cannot open it (error " + std::to_string(error) + ")";
    }
}

// "COM5" becomes "\\.\COM5", which also reaches COM10 and above; a name given that way is kept.
std::string DevicePath(const std::string& device) {
    return device.rfind("\\\\.\\", 0) == 0 ? device : "\\\\.\\" + device;
}

class Win32SerialPort final : public SerialPort {
public:
    ~Win32SerialPort() override { Close(); }

    bool Open(const std::string& device, std::string* error) override {
        m_port = ::CreateFileA(DevicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (m_port == INVALID_HANDLE_VALUE) {
            return Fail(OpenReason(::GetLastError()), error);
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(m_port, &dcb)) {
            return Fail("it is not a serial port", error);
        }
        dcb.BaudRate = CBR_115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        if (!::SetCommState(m_port, &dcb)) {
            return Fail("cannot set the line settings", error);
        }
        // MAXDWORD, MAXDWORD, constant: a read returns at once with whatever has arrived, waits
        // for the first byte when none has, and gives up after the constant.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = 1000;
        timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
        if (!::SetCommTimeouts(m_port, &timeouts)) {
            return Fail("cannot set the timeouts", error);
        }
        ::PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
        m_readDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_writeDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_readDone || !m_writeDone || !m_wake) {
            return Fail("cannot create events", error);
        }
        return true;
    }

    WriteResult Write(const char* bytes, size_t count) override {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_writeDone;
        DWORD written = 0;
        if (!::WriteFile(m_port, bytes, static_cast<DWORD>(count), &written, &overlapped)) {
            if (::GetLastError() != ERROR_IO_PENDING) {
                return WriteResult::Gone;
            }
            if (!::GetOverlappedResult(m_port, &overlapped, &written, TRUE)) {
                return WriteResult::Gone;
            }
        }
        return written == count ? WriteResult::Written : WriteResult::Busy;
    }

    int Read(char* buffer, size_t capacity, std::chrono::milliseconds timeout) override {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_readDone;
        DWORD got = 0;
        if (::ReadFile(m_port, buffer, static_cast<DWORD>(capacity), &got, &overlapped)) {
            return static_cast<int>(got);
        }
        if (::GetLastError() != ERROR_IO_PENDING) {
            return -1;
        }
        const HANDLE waits[2] = {m_readDone, m_wake};
        const DWORD which = ::WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(timeout.count()));
        if (which != WAIT_OBJECT_0) {
            ::CancelIo(m_port);
        }
        // Also collects a read that completed while it was being cancelled.
        // A cancelled read may still have taken bytes off the port: they are returned, not lost.
        if (!::GetOverlappedResult(m_port, &overlapped, &got, TRUE)) {
            return ::GetLastError() == ERROR_OPERATION_ABORTED ? static_cast<int>(got) : -1;
        }
        return static_cast<int>(got);
    }

    void Interrupt() override {
        if (m_wake) {
            ::SetEvent(m_wake);
        }
    }

    void Drain() override { ::FlushFileBuffers(m_port); }

    void Close() override {
        if (m_port != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_port);
            m_port = INVALID_HANDLE_VALUE;
        }
        for (HANDLE* event : {&m_readDone, &m_writeDone, &m_wake}) {
            if (*event) {
                ::CloseHandle(*event);
                *event = nullptr;
            }
        }
    }

private:
    bool Fail(const std::string& message, std::string* error) {
        if (error) {
            *error = message;
        }
        Close();
        return false;
    }

    HANDLE m_port = INVALID_HANDLE_VALUE;
    HANDLE m_readDone = nullptr;
    HANDLE m_writeDone = nullptr;
    HANDLE m_wake = nullptr;
};

}  // namespace

std::unique_ptr<SerialPort> NewSystemSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

bool SerialDeviceExists(const std::string& device) {
    std::string name = device.rfind("\\\\.\\", 0) == 0 ? device.substr(4) : device;
    char target[512];
    return ::QueryDosDeviceA(name.c_str(), target, sizeof target) != 0;
}

}  // namespace canbus
