#include "tolvikcan/Session.h"

namespace tolvikcan {

Session::Session(std::unique_ptr<canbus::FrameChannel> channel, canbus::WaitClock& clock)
    : m_channel(std::move(channel)), m_client(*m_channel, clock) {}

Session::~Session() {
    Close();
}

bool Session::Open(std::string* error) {
    if (!m_channel->Open(m_client, error)) {
        m_closed = true;
        return false;
    }
    m_dispatcher = std::thread([this] { DispatchLoop(); });
    return true;
}

void Session::Close() {
    if (m_closed.exchange(true)) {
        return;
    }
    m_client.Pdos().Stop();
    if (m_dispatcher.joinable()) {
        m_dispatcher.join();
    }
    m_client.Shutdown();
    m_channel->Close();
}

bool Session::OnDispatcherThread() const {
    return std::this_thread::get_id() == m_dispatcher.get_id();
}

void Session::DispatchLoop() {
    uint64_t seen = 0;
    size_t waiting = 0;
    while (m_client.Pdos().WaitForArrivals(&seen, &waiting)) {
        const CAN_PdoEventProc callback = m_callback.load();
        if (callback && waiting > 0) {
            callback(static_cast<int>(waiting));
        }
    }
}

}  // namespace tolvikcan
