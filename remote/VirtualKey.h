// The virtual remote: key presses and releases put on the bus as the base remote sends them.
#pragma once

#include "port/RemoteView.h"

namespace canlink {
class LinkSession;
}  // namespace canlink

namespace remote {

// Sends the key of button `controlId` (or, on `release`, the key-up code) on the base remote's
// key PDO and logs it; a refused transmission shows a message box instead. Silent while
// link.m_linkFailed is set. User-interface thread only.
void SendVirtualKey(canlink::LinkSession& link, port::RemoteView& dlg, int controlId, bool release);

}  // namespace remote
