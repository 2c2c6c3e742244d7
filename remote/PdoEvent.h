// The callbacks given to the bridge library, which run on its own thread, and the catch-up the
// dialog runs on its thread for records a callback had to leave behind.
#pragma once

#include "canlink/QuarnCANopen.h"

namespace canlink {
class LinkSession;
}  // namespace canlink

namespace remote {

// Fetches `count` waiting records and shows each on the running session's main dialog
// (LinkSession::Running()->g_mainDialog). A dialog without room for more (HasRoomForUpdates)
// stops the fetching; the rest wait in the library.
void CAN_CALLCONV OnPdoEvent(int count);
// The records a callback left with the library for want of room, fetched once the dialog has
// room again: the library calls back only when something new arrives, so after the last burst
// nobody else would take them. Called by the dialog on its own thread after it has applied
// what waited; shows the records on link.g_mainDialog as the callback does.
void FetchLeftRecords(canlink::LinkSession& link);
// Registered beside OnPdoEvent; the events it reports are of no use to the tool.
void CAN_CALLCONV OnSecondaryEvent(int event, int data);

}  // namespace remote
