// The bridge library bound before the first connection, for every front end alike.
#pragma once

namespace port {
class StatusSink;
}  // namespace port

namespace canlink {

class LinkSession;

// Binds the library DefaultBridgeLibraryPath() names unless Bridge() is bound already. When it
// cannot be loaded or lacks an entry point, the link is marked failed (m_linkFailed) and the loader's message
// is shown as an error; false then.
bool BindBridgeLibrary(port::StatusSink& status, LinkSession& link);

}  // namespace canlink
