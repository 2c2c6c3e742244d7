// One connected adapter: its channel (with the channel's reader thread), the CANopen client fed
// by it, and the dispatcher thread that calls the host's PDO callback, so that a slow callback
// never holds up the reader.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "canbus/FrameChannel.h"
#include "canbus/WaitClock.h"
#include "canlink/QuarnCANopen.h"
#include "canopen/CanOpenClient.h"

namespace tolvikcan {

class Session {
public:
    Session(std::unique_ptr<canbus::FrameChannel> channel, canbus::WaitClock& clock);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Open(std::string* error);
    // Ends the dispatcher (after the callback that runs, if any), every transfer that waits,
    // and the channel. Once it returns no callback runs and none will start. Not from the
    // dispatcher thread.
    void Close();
    bool OnDispatcherThread() const;

    void SetCallback(CAN_PdoEventProc callback) { m_callback.store(callback); }
    // Runs once, on the channel's thread, when the adapter goes away before Close. Before Open.
    void SetLinkLostNotice(std::function<void()> notice) { m_client.SetLinkLostNotice(std::move(notice)); }
    canopen::CanOpenClient& Client() { return m_client; }

private:
    void DispatchLoop();

    std::unique_ptr<canbus::FrameChannel> m_channel;
    canopen::CanOpenClient m_client;
    std::atomic<CAN_PdoEventProc> m_callback{nullptr};
    std::thread m_dispatcher;
    std::atomic<bool> m_closed{false};
};

}  // namespace tolvikcan
