// Pairing a wireless remote with the base remote, and the signal-strength report that shows the
// radio link between the two. Both run on the user-interface thread and pause through
// platform::Sleep.
#pragma once

#include "port/RemoteView.h"

namespace canlink {
class LinkSession;
}  // namespace canlink

namespace remote {

// Makes the base remote's signal-strength PDO valid and mapped, restarting the node only when
// something had to change. Objects whose read fails are left alone.
void EnableSignalStrengthPdo(canlink::LinkSession& link);

// Opens the base remote's association window for up to 20 s with a progress dialog, ends about
// 2 s after a wireless remote is first heard (or at once on cancel), and always closes the
// window again; a close request (link.m_closeGate) ends it as cancel does. A failed read of the
// control byte sets link.m_linkFailed and writes nothing.
void OnAssociate(canlink::LinkSession& link, port::RemoteView& dlg);

}  // namespace remote
