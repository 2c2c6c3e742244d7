// The bridge library bound before the first connection, for every front end alike.
#pragma once

class MainDialogPort;

// Binds the library DefaultBridgeLibraryPath() names unless Bridge() is bound already. When it
// cannot be loaded or lacks an entry point, the link is marked failed and the loader's message
// is shown as an error; false then.
bool BindBridgeLibrary(MainDialogPort& dlg);
