// The base remote's firmware: which part it is and whether it supports wireless remotes.
#pragma once

#include "port/RemoteView.h"

namespace canlink {
class LinkSession;
}  // namespace canlink

namespace remote {

// Reads the revision and the software version text of the base remote once at start-up, shows
// the verdict in the Compatibility field and the status log, and enables Associate only for
// compatible firmware. A failed revision read shows "Unknown" and sets link.m_linkFailed.
// User-interface thread only.
void ReadFirmwareVersion(canlink::LinkSession& link, port::RemoteView& dlg);

}  // namespace remote
