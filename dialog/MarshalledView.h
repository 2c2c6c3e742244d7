// The main dialog's view as every front end implements it: calls from the bridge library's thread
// wait in the bounded hand-over (port/UpdateQueue.h) and reach the widgets in batches on the GUI
// thread, one wake per batch; a call on the GUI thread first applies what waits, so order is
// kept. A front end supplies only its toolkit's part: waking the GUI thread, telling whether this
// is it, and applying a text, picture, bar position, enabled state, lines or a message box.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "port/RemoteView.h"
#include "port/UpdateQueue.h"

namespace dialog {

class MarshalledView : public port::RemoteView {
public:
    // Any thread; never waits for the GUI thread, which may be waiting for the calling thread
    // to end on disconnect.
    void AddStatusLine(std::string_view text) final;
    void SetItemText(int controlId, const char* text) final;
    void SetItemPicture(int controlId, int bitmapId) final;
    void SetBarPosition(int controlId, int position) final;
    bool HasRoomForUpdates() const final;
    // GUI thread: what waits is shown first.
    void ShowMessageBox(std::string_view text, port::MessageIcon icon) final;

    // The front end's answer to WakeGuiThread, on the GUI thread: applies everything handed over,
    // then runs the catch-up, whose changes are handed over for later turns.
    void ApplyPending();
    // What runs after each wake's drain (the controller's catch-up); empty for nothing.
    void SetCatchUp(std::function<void()> catchUp) { m_catchUp = std::move(catchUp); }

protected:
    // Whether the caller runs on the dialog's GUI thread. Any thread.
    virtual bool IsGuiThread() const = 0;
    // Arranges one ApplyPending() call on the GUI thread. Any thread; must not wait.
    virtual void WakeGuiThread() = 0;
    // GUI thread only, from here on.
    virtual void ApplyText(int controlId, const char* text) = 0;
    virtual void ApplyPicture(int controlId, int bitmapId) = 0;
    virtual void ApplyBar(int controlId, int position) = 0;
    // Appends the lines (at least one) in one go and selects the last.
    virtual void AppendLines(const std::vector<std::string>& lines) = 0;
    virtual void PresentMessageBox(const char* text, port::MessageIcon icon) = 0;

private:
    using Update = port::UpdateQueue::Update;

    // On the GUI thread and not taking up records left with the library: changes apply at once.
    // Otherwise they are handed over.
    bool ApplyAtOnce() const { return IsGuiThread() && !m_catchingUp; }
    void HandOver(Update update);
    // Applies what waits: only the last picture, text and bar position of an item, every line.
    void Drain();

    port::UpdateQueue m_updates;
    std::function<void()> m_catchUp;
    // Set while the catch-up runs: its changes are handed over, not applied at once.
    bool m_catchingUp = false;
};

}  // namespace dialog
