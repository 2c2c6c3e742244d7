// What the main dialog does, whichever toolkit draws it: its start-up order, what its buttons and
// keys do, its close, and the battery field's colour. Each front end maps these onto its widgets.
#pragma once

#include <cstdint>

#include "port/MainDialogPort.h"

namespace dialog {

struct Rgb {
    uint8_t red, green, blue;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kColorLow{255, 0, 0};
constexpr Rgb kColorUnknown{241, 217, 78};
constexpr Rgb kColorOk{0, 255, 0};
constexpr Rgb kWhite{255, 255, 255};
// The signal bar's range: one step per level the base remote reports.
constexpr int kSignalBarMaximum = 255;

// The link's part of the dialog's start-up, once its controls exist: clears m_linkFailed, makes
// `dlg` the running dialog, stores the four COB-IDs, connects (logging "Bridge connect failed" on
// failure), shows " ?? " and disables Associate, and only with the link up enables the signal
// PDO and reads the firmware. Message boxes of the link appear from inside this call.
void StartLink(MainDialogPort& dlg);

// Binds the bridge library if nothing is bound yet (a failure shows the binding's message and sets
// m_linkFailed), then chooses and connects the bridge.
void ConnectToBridge(MainDialogPort& dlg);

// The background of the battery field's text for battery state `state` (g_batteryState):
// unknown below 0, low above 0, OK at 0.
Rgb BatteryTextBackground(int state);

// Owns the link's shut-down for one dialog: the first close disconnects the bridge, later
// closes and the dialog's destruction do nothing more. A dialog closed without a bound library
// disconnects nothing.
class LinkCloser {
public:
    // Disconnects once. Call on close, after the dialog has been told to end.
    void Close();
    bool IsClosed() const { return m_closed; }

private:
    bool m_closed = false;
};

// Lets go of `dlg` as the running dialog, if it still is, so the library's callback stops
// reaching it.
void ReleaseRunningDialog(MainDialogPort& dlg);

}  // namespace dialog
