// What the remote functions and the event callback change on the main dialog: item texts,
// pictures, bar positions, enabled states, the wait dialog, and the status sink. Each front end
// implements it once (through dialog/MarshalledView); tests use a recording one.
#pragma once

#include <memory>

#include "port/StatusSink.h"
#include "port/WaitDialogPort.h"

namespace port {

class RemoteView : public StatusSink {
public:
    // Safe from any thread, as AddStatusLine is.
    virtual void SetItemText(int controlId, const char* text) = 0;
    virtual void SetItemPicture(int controlId, int bitmapId) = 0;
    virtual void SetBarPosition(int controlId, int position) = 0;
    // False while so many changes from another thread wait for the dialog that taking more
    // records would only pile them up: the event callback then leaves records with the library,
    // whose buffer is bounded. Any thread; never waits.
    virtual bool HasRoomForUpdates() const { return true; }

    // User-interface thread only.
    virtual void EnableItem(int controlId, bool enable) = 0;
    virtual std::unique_ptr<WaitDialogPort> CreateWaitDialog() = 0;
};

}  // namespace port
