// Run-time binding of the bridge library. Every call the tool makes on the bus goes through a
// bound BridgeLibrary, reached through the link's session, never through a linked symbol, so the
// bench and the tool can share a test process.
#pragma once

#include <string>

#include "canlink/AdapterExtension.h"
#include "canlink/QuarnCANopen.h"

namespace canlink {

struct BridgeLibrary {
#define TOLVIK_BRIDGE_ENTRY(name, result, parameters, arguments) PFN_##name name = nullptr;
    CAN_OPERATIONS(TOLVIK_BRIDGE_ENTRY)
#undef TOLVIK_BRIDGE_ENTRY
    // Bound only when the library offers it (Tolvik's adapter library).
    PFN_TOLVIK_SetReasonProc TOLVIK_SetReasonProc = nullptr;

    bool IsBound() const;
    bool IsAdapterLibrary() const {
        return TOLVIK_SetReasonProc != nullptr;
    }
};

// The process's one binding. Bound once at start-up (or by a test) before any bus traffic; the
// link reaches it through its session (LinkSession::Library).
BridgeLibrary& Bridge();
// Whether the process's binding is bound (the saved log's header says so).
bool BridgeLibraryLoaded();

// The library to load: TOLVIK_BRIDGE_LIBRARY when set; else the vendor's QuarnCANopen.dll on
// Windows, or elsewhere the bench library beside the executable (in the build tree) or in the
// installed program's private library folder.
std::string DefaultBridgeLibraryPath();

// Loads the library and binds all twelve entry points into Bridge(), and the adapter library's
// extension when it is there. On failure Bridge() is left
// unbound, the library is unloaded, and `error` names the library or the missing entry point.
// A bound library stays loaded for the life of the process: its thread may still be winding down
// when the dialog goes away.
bool LoadBridgeLibrary(const std::string& path, std::string* error);

}  // namespace canlink
