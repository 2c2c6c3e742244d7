// Serial ports on Windows: \\.\COMn with overlapped I/O, so that a write never waits behind a
// pending read. Bytes are waited for with a one-byte read and no read timeouts, which Windows and
// Wine both complete as soon as a byte comes; then what ClearCommError reports queued is read.
// (Wine completes a read that is to return early, under COMMTIMEOUTS, only when its total timeout
// runs out, and on a pty it ends a WaitCommEvent hundreds of times a second with nothing there.)
#include <windows.h>

#include <algorithm>
#include <climits>

#include "canbus/SerialPort.h"

namespace canbus {
namespace {

constexpr DWORD kWriteTimeoutMs = 1000;

// Whether `path` names a folder (which a port's name can, through a link).
bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Why the port at `path` did not open, as a technician can act on it.
std::string OpenReason(const std::string& path, DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
            // A folder refuses the open as a port in use does.
            if (IsFolder(path)) {
                return "it is not a serial port: a folder";
            }
            [[fallthrough]];
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
        const std::string path = DevicePath(device);
        m_port = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
        if (m_port == INVALID_HANDLE_VALUE) {
            const DWORD why = ::GetLastError();
            return Fail(OpenReason(path, why), error);
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
        // No read timeouts: a read completes once it has all the bytes it asked for, which both
        // Windows and Wine do as soon as they come.
        COMMTIMEOUTS timeouts{};
        timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
        if (!::SetCommTimeouts(m_port, &timeouts)) {
            return Fail("cannot set the timeouts", error);
        }
        ::PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
        m_readDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_writeDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_firstDone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_wake = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!m_readDone || !m_writeDone || !m_firstDone || !m_wake) {
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
        // While the one-byte read is pending, every byte that comes goes to it first: the
        // queue never holds bytes older than the one it will return.
        if (!m_reading) {
            const int queued = Queued();
            if (queued != 0) {
                return queued < 0 ? -1 : ReadQueued(buffer, std::min(static_cast<size_t>(queued), capacity));
            }
            if (!StartFirstRead()) {
                return -1;
            }
        }
        const HANDLE waits[2] = {m_firstDone, m_wake};
        const DWORD which = ::WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(timeout.count()));
        if (which != WAIT_OBJECT_0) {
            return which == WAIT_FAILED ? -1 : 0;
        }
        m_reading = false;
        // Without read timeouts the read ends without its byte only when the port has gone.
        DWORD got = 0;
        if (!::GetOverlappedResult(m_port, &m_firstRead, &got, FALSE) || got != 1) {
            return -1;
        }
        buffer[0] = m_first;
        const int rest = capacity > 1 ? Queued() : 0;
        const int more =
            rest > 0 ? ReadQueued(buffer + 1, std::min(static_cast<size_t>(rest), capacity - 1)) : 0;
        return 1 + std::max(more, 0);
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
            CancelFirstRead();
            ::CloseHandle(m_port);
            m_port = INVALID_HANDLE_VALUE;
        }
        for (HANDLE* event : {&m_readDone, &m_writeDone, &m_firstDone, &m_wake}) {
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

    // Starts the read of the next byte; m_firstDone is set once it has come (or the port has gone).
    bool StartFirstRead() {
        m_firstRead = OVERLAPPED{};
        m_firstRead.hEvent = m_firstDone;
        ::ResetEvent(m_firstDone);
        if (!::ReadFile(m_port, &m_first, 1, nullptr, &m_firstRead) && ::GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        m_reading = true;
        return true;
    }

    // Ends a pending one-byte read before its OVERLAPPED goes (bounded, like every wait here).
    void CancelFirstRead() {
        if (!m_reading) {
            return;
        }
        ::CancelIoEx(m_port, &m_firstRead);
        ::WaitForSingleObject(m_firstDone, kWriteTimeoutMs);
        m_reading = false;
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
    HANDLE m_firstDone = nullptr;
    HANDLE m_wake = nullptr;
    OVERLAPPED m_firstRead{};  // the one-byte read, pending across Read calls until a byte comes
    char m_first = 0;
    bool m_reading = false;
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
