#include "canlink/LinkSession.h"

namespace canlink {

namespace {

// The bridge library's callbacks carry no context pointer, so they find their session here: the
// one static of the link. Set by the session's constructor, cleared by its destructor.
std::atomic<LinkSession*> s_running{nullptr};

}  // namespace

LinkSession::LinkSession(const BridgeLibrary& library) : m_library(library) {
    s_running = this;
}

LinkSession::~LinkSession() {
    LinkSession* self = this;
    s_running.compare_exchange_strong(self, nullptr);
}

LinkSession* LinkSession::Running() {
    return s_running.load();
}

void LinkSession::Disconnect() {
    if (m_disconnected) {
        return;
    }
    m_disconnected = true;
    if (m_library.IsBound()) {
        m_library.CAN_Disconnect();
    }
    // After the disconnect no thread of the library is left to call it.
    if (m_library.IsAdapterLibrary()) {
        m_library.TOLVIK_SetReasonProc(nullptr);
    }
}

}  // namespace canlink
