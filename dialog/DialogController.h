// What the main dialog does, without a toolkit: its start-up, Associate, a close request, the
// virtual keys and the catch-up after each drain of the hand-over. It owns the link session, so
// the link's state lives and dies with the dialog. A front end owns one, made after its view
// and gone before it, and forwards its events here. User-interface thread only.
#pragma once

#include "canlink/LinkSession.h"
#include "dialog/MainDialog.h"
#include "dialog/MarshalledView.h"

namespace dialog {

class DialogController {
public:
    explicit DialogController(MarshalledView& view);
    // Disconnects if the dialog was never closed, so the library is quiet before the view goes.
    ~DialogController();
    DialogController(const DialogController&) = delete;
    DialogController& operator=(const DialogController&) = delete;

    // The link's part of OnInitDialog (dialog::StartLink).
    void StartUp();
    // Runs the association. True when a close request came meanwhile: the front end closes now.
    bool OnAssociate();
    // The user asked to close the window. True: close now. False: the association runs; it ends
    // at its next step and OnAssociate then returns true.
    bool RequestClose();
    // The window has been told to end: the link's one disconnect.
    void Close();
    // A virtual key pressed or released.
    void SendVirtualKey(int controlId, bool release);
    // The battery field's text background for the battery state now.
    dialog::Rgb BatteryTextBackground() const;

    canlink::LinkSession& Link() { return m_link; }

private:
    // After each drain: records left with the library; none once disconnected.
    void OnDrained();

    MarshalledView& m_view;
    canlink::LinkSession m_link;
};

}  // namespace dialog
