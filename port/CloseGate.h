// What becomes of a request to close the main window while the association runs. The association
// must write its closing value before the link goes down, or the base remote's association
// window stays open; so the request ends the association as its Cancel does, and the window
// closes as soon as the association has returned. Toolkit-free: every front end closes this way.
// User-interface thread only.
#pragma once

namespace port {

class CloseGate {
public:
    // Held by the association for as long as it runs.
    class Busy {
    public:
        explicit Busy(CloseGate& gate) : m_gate(gate) { m_gate.m_busy = true; }
        ~Busy() { m_gate.m_busy = false; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        CloseGate& m_gate;
    };

    // The user asked to close the window. True: close now. False: the association runs; it is
    // asked to end (Requested() turns true), and the front end closes once it has returned.
    bool RequestClose() {
        if (!m_busy) {
            return true;
        }
        m_requested = true;
        return false;
    }

    // A close waits: the association ends at its next step, as if cancelled.
    bool Requested() const { return m_requested; }

private:
    bool m_busy = false;
    bool m_requested = false;
};

}  // namespace port
