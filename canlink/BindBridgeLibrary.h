// The bridge library bound before the first connection, for every front end alike.
#pragma once

class LinkSession;
class StatusSink;

// Binds the library DefaultBridgeLibraryPath() names unless Bridge() is bound already. When it
// cannot be loaded or lacks an entry point, the link is marked failed (m_linkFailed) and the loader's message
// is shown as an error; false then.
bool BindBridgeLibrary(StatusSink& status, LinkSession& link);
