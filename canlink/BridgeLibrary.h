// Run-time binding of the bridge library. Every call the tool makes on the bus goes through
// Bridge(), never through a linked symbol, so the bench and the tool can share a test process.
#pragma once

#include <string>

#include "canlink/QuarnCANopen.h"

struct BridgeLibrary {
    PFN_CAN_EnumerateBridges CAN_EnumerateBridges = nullptr;
    PFN_CAN_Connect CAN_Connect = nullptr;
    PFN_CAN_Disconnect CAN_Disconnect = nullptr;
    PFN_CAN_EnumerateNodes CAN_EnumerateNodes = nullptr;
    PFN_CAN_SetPDOBufferSize CAN_SetPDOBufferSize = nullptr;
    PFN_CAN_RegisterEvents CAN_RegisterEvents = nullptr;
    PFN_CAN_RegisterPDO CAN_RegisterPDO = nullptr;
    PFN_CAN_GetPDO CAN_GetPDO = nullptr;
    PFN_CAN_TransmitPDO CAN_TransmitPDO = nullptr;
    PFN_CAN_SDORead CAN_SDORead = nullptr;
    PFN_CAN_SDOWrite CAN_SDOWrite = nullptr;
    PFN_CAN_SetNodeState CAN_SetNodeState = nullptr;

    bool IsBound() const;
};

// The process's one binding. Bound once at start-up (or by a test) before any bus traffic.
BridgeLibrary& Bridge();

// The library to load: TOLVIK_BRIDGE_LIBRARY when set; else the vendor's QuarnCANopen.dll on
// Windows, or elsewhere the bench library beside the executable (in the build tree) or in the
// installed program's private library folder.
std::string DefaultBridgeLibraryPath();

// Loads the library and binds all twelve entry points into Bridge(). On failure Bridge() is left
// unbound and `error` names the library or the missing entry point. The library stays loaded for
// the life of the process: its thread may still be winding down when the dialog goes away.
bool LoadBridgeLibrary(const std::string& path, std::string* error);
