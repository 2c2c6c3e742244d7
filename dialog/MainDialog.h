// What the main dialog does at start-up, whichever toolkit draws it, and the battery field's
// colour. Each front end maps these onto its widgets through DialogController.
#pragma once

#include <cstdint>

namespace canlink {
class LinkSession;
}  // namespace canlink
namespace port {
class RemoteView;
}  // namespace port

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
// `dlg` the session's main dialog, stores the four COB-IDs, binds the bridge library if nothing
// is bound yet and connects (logging "Bridge connect failed" on failure), shows " ?? " and
// disables Associate, and only with the link up enables the signal PDO and reads the firmware.
// Message boxes of the link appear from inside this call.
void StartLink(canlink::LinkSession& link, port::RemoteView& dlg);

// The background of the battery field's text for battery state `state` (g_batteryState):
// unknown below 0, low above 0, OK at 0.
Rgb BatteryTextBackground(int state);

}  // namespace dialog
