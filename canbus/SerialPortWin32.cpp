// Serial ports on Windows: \\.\COMn with overlapped I/O, so that a write never waits behind a
// pending read. A read waits for EV_RXCHAR with WaitCommEvent and then takes what ClearCommError
// reports queued: both Windows and Wine complete that wait as soon as bytes arrive, whereas Wine
// completes a waiting ReadFile only when its total timeout runs out.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "canbus/SerialPort.h"

namespace canbus {
namespace {

constexpr DWORD kWriteTimeoutMs = 1000;

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
            return Fail(device + ": cannot open (error " + std::to_string(::GetLastError()) + ")", error);
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(m_port, &dcb)) {
            return Fail(device + " is not a serial port", error);
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
            return Fail(device + ": cannot set the line settings", error);
        }
        // MAXDWORD, 0, 0: a read returns at once with what has arrived. Reads wait for bytes with
        // WaitCommEvent instead, which Wine also completes as soon as they come.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
        if (!::SetCommTimeouts(m_port, &timeouts)) {
            return Fail(device + ": cannot set the timeouts", error);
        }
        if (!::SetCommMask(m_port, EV_RXCHAR)) {
            return Fail(device + ": cannot wait for received bytes", error);
        }
        ::PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
        m_readDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_writeDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_arrived = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_readDone || !m_writeDone || !m_arrived || !m_wake) {
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
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const int queued = Queued();
            if (queued != 0) {
                return queued < 0 ? -1 : ReadQueued(buffer, std::min(static_cast<size_t>(queued), capacity));
            }
            // The wait stays armed across reads; bytes that came just before it was armed raise
            // no event, so the queue is looked at again once it is.
            if (!m_waiting) {
                if (!ArmWait()) {
                    return -1;
                }
                continue;
            }
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return 0;
            }
            const HANDLE waits[2] = {m_arrived, m_wake};
            const DWORD which = ::WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(left.count()));
            if (which != WAIT_OBJECT_0) {
                return which == WAIT_FAILED ? -1 : 0;
            }
            m_waiting = false;
            DWORD ignored = 0;
            ::GetOverlappedResult(m_port, &m_wait, &ignored, FALSE);
            // How the wait ended says little: Wine ends it as cancelled whenever a pty's state
            // changes, as a pty has no modem lines to read. The queue tells: bytes, none yet
            // (wait again), or a port that has gone.
        }
    }

    void Interrupt() override {
        if (m_wake) {
            ::SetEvent(m_wake);
        }
    }

    void Drain() override {
        // FlushFileBuffers waits for as long as the port holds bytes back: wait a bounded time.
        for (int i = 0; i < 100 && Pending() > 0; ++i) {
            ::Sleep(10);
        }
    }

    void Close() override {
        if (m_port != INVALID_HANDLE_VALUE) {
            EndWait();
            ::CloseHandle(m_port);
            m_port = INVALID_HANDLE_VALUE;
        }
        for (HANDLE* event : {&m_readDone, &m_writeDone, &m_arrived, &m_wake}) {
            if (*event) {
                ::CloseHandle(*event);
                *event = nullptr;
            }
        }
    }

private:
    // Bytes received and not read yet; -1 when the port is gone.
    int Queued() {
        COMSTAT status{};
        DWORD errors = 0;
        if (!::ClearCommError(m_port, &errors, &status)) {
            return -1;
        }
        return static_cast<int>(std::min<DWORD>(status.cbInQue, INT_MAX));
    }

    // Bytes written and not sent yet (none once the port is gone).
    DWORD Pending() {
        COMSTAT status{};
        DWORD errors = 0;
        return ::ClearCommError(m_port, &errors, &status) ? status.cbOutQue : 0;
    }

    // Reads `count` bytes that are known to be waiting, so the read completes at once.
    int ReadQueued(char* buffer, size_t count) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_readDone;
        DWORD got = 0;
        if (::ReadFile(m_port, buffer, static_cast<DWORD>(count), &got, &overlapped)) {
            return static_cast<int>(got);
        }
        if (::GetLastError() != ERROR_IO_PENDING) {
            return -1;
        }
        if (::WaitForSingleObject(m_readDone, kWriteTimeoutMs) != WAIT_OBJECT_0) {
            ::CancelIoEx(m_port, &overlapped);
        }
        // A read cancelled after it took bytes off the port returns them, not loses them.
        if (!::GetOverlappedResult(m_port, &overlapped, &got, TRUE)) {
            return ::GetLastError() == ERROR_OPERATION_ABORTED ? static_cast<int>(got) : -1;
        }
        return static_cast<int>(got);
    }

    // Asks for m_arrived to be set when bytes come (or at once, when the port says so already).
    bool ArmWait() {
        m_wait = OVERLAPPED{};
        m_wait.hEvent = m_arrived;
        ::ResetEvent(m_arrived);
        if (!::WaitCommEvent(m_port, &m_events, &m_wait) && ::GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        m_waiting = true;
        return true;
    }

    // Ends an armed wait before its OVERLAPPED goes: clearing the mask completes it, the
    // cancellation covers a driver that does not.
    void EndWait() {
        if (!m_waiting) {
            return;
        }
        ::SetCommMask(m_port, 0);
        if (::WaitForSingleObject(m_arrived, kWriteTimeoutMs) != WAIT_OBJECT_0) {
            ::CancelIoEx(m_port, &m_wait);
            ::WaitForSingleObject(m_arrived, kWriteTimeoutMs);
        }
        m_waiting = false;
    }

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
    HANDLE m_arrived = nullptr;
    HANDLE m_wake = nullptr;
    OVERLAPPED m_wait{};  // the armed WaitCommEvent, kept across reads
    DWORD m_events = 0;
    bool m_waiting = false;
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
