#include "dialog/MarshalledView.h"

using port::MessageIcon;
using port::UpdateQueue;

namespace dialog {

void MarshalledView::HandOver(Update update) {
    // One wake per batch however many changes arrive before the drain runs.
    if (m_updates.Push(std::move(update))) {
        WakeGuiThread();
    }
}

bool MarshalledView::HasRoomForUpdates() const {
    return m_updates.HasRoom();
}

void MarshalledView::Drain() {
    const UpdateQueue::Batch batch = m_updates.Drain();
    for (const Update& update : batch.changes) {
        switch (update.kind) {
            case Update::Text:
                ApplyText(update.controlId, update.text.c_str());
                break;
            case Update::Picture:
                ApplyPicture(update.controlId, update.value);
                break;
            case Update::Bar:
                ApplyBar(update.controlId, update.value);
                break;
            case Update::Line:
                break;
        }
    }
    if (!batch.lines.empty()) {
        AppendLines(batch.lines);
    }
}

void MarshalledView::ApplyPending() {
    Drain();
    // Records the library still holds for want of room come next, handed over like the
    // callback's so that they are applied in batches on later turns.
    if (m_catchUp) {
        m_catchingUp = true;
        m_catchUp();
        m_catchingUp = false;
    }
}

void MarshalledView::AddStatusLine(std::string_view text) {
    if (!ApplyAtOnce()) {
        HandOver({Update::Line, 0, 0, std::string(text)});
        return;
    }
    Drain();  // lines handed over earlier come first
    AppendLines({std::string(text)});
}

void MarshalledView::SetItemText(int controlId, const char* text) {
    if (!ApplyAtOnce()) {
        HandOver({Update::Text, controlId, 0, text});
        return;
    }
    Drain();
    ApplyText(controlId, text);
}

void MarshalledView::SetItemPicture(int controlId, int bitmapId) {
    if (!ApplyAtOnce()) {
        HandOver({Update::Picture, controlId, bitmapId, {}});
        return;
    }
    Drain();
    ApplyPicture(controlId, bitmapId);
}

void MarshalledView::SetBarPosition(int controlId, int position) {
    if (!ApplyAtOnce()) {
        HandOver({Update::Bar, controlId, position, {}});
        return;
    }
    Drain();
    ApplyBar(controlId, position);
}

void MarshalledView::ShowMessageBox(std::string_view text, MessageIcon icon) {
    Drain();
    PresentMessageBox(std::string(text).c_str(), icon);
}

}  // namespace dialog
