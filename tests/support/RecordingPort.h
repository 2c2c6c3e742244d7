// A main dialog's view that records every change in order, for testing the logic without
// widgets, with the link session it runs on. Calls may come from the bench's thread, so the
// record is guarded.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "canlink/LinkSession.h"
#include "port/RemoteView.h"

struct RecordedBox {
    std::string text;
    port::MessageIcon icon;
    int linkFailedWhenShown;
};

class RecordingPort : public port::RemoteView {
public:
    RecordingPort();

    void AddStatusLine(std::string_view text) override;
    void SetItemText(int controlId, const char* text) override;
    void SetItemPicture(int controlId, int bitmapId) override;
    void SetBarPosition(int controlId, int position) override;
    void ShowMessageBox(std::string_view text, port::MessageIcon icon) override;
    void EnableItem(int controlId, bool enable) override;
    std::unique_ptr<port::WaitDialogPort> CreateWaitDialog() override;

    std::vector<std::string> Lines() const;
    std::vector<RecordedBox> Boxes() const;
    // Every change in order, as "line:<text>", "text:<id>:<text>", "picture:<id>:<bitmap>",
    // "bar:<id>:<pos>", "box:<text>", "enable:<id>:<0|1>".
    std::vector<std::string> Events() const;
    std::string Text(int controlId) const;
    int Picture(int controlId) const;   // -1 when never set
    int Bar(int controlId) const;       // -1 when never set
    bool Enabled(int controlId) const;  // false when never enabled
    // Battery state seen at the moment each battery text was set.
    std::vector<int> BatteryStateAtText() const;

    // Supplies the wait dialog the logic creates (the default records into WaitEvents()).
    std::function<std::unique_ptr<port::WaitDialogPort>()> waitDialogFactory;
    std::vector<std::string> WaitEvents() const;

    // The running session, with this port as its main dialog.
    canlink::LinkSession link;

private:
    friend class RecordingWaitDialog;
    void Record(std::string event);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::vector<std::string> m_lines;
    std::vector<RecordedBox> m_boxes;
    std::map<int, std::string> m_texts;
    std::map<int, int> m_pictures;
    std::map<int, int> m_bars;
    std::map<int, bool> m_enabled;
    std::vector<int> m_batteryAtText;
    std::vector<std::string> m_waitEvents;
};

// A wait dialog that records its calls and can be told to close after a number of steps.
class RecordingWaitDialog : public port::WaitDialogPort {
public:
    RecordingWaitDialog(RecordingPort* port, int closeAfterSteps = -1);
    ~RecordingWaitDialog() override;
    void UpdateText(const char* text) override;
    void UpdateProgress(int position) override;
    bool ProcessMessages() override;
    bool IsOpen() const override { return m_open; }

private:
    RecordingPort* m_port;
    int m_closeAfterSteps;
    int m_steps = 0;
    bool m_open = true;
};
