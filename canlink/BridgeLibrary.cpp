#include "canlink/BridgeLibrary.h"

#include <cstdint>
#include <cstdlib>

#include "platform/File.h"
#include "platform/SharedLibrary.h"

BridgeLibrary& Bridge() {
    static BridgeLibrary library;
    return library;
}

bool BridgeLibrary::IsBound() const {
    return CAN_EnumerateBridges && CAN_Connect && CAN_Disconnect && CAN_EnumerateNodes &&
           CAN_SetPDOBufferSize && CAN_RegisterEvents && CAN_RegisterPDO && CAN_GetPDO && CAN_TransmitPDO &&
           CAN_SDORead && CAN_SDOWrite && CAN_SetNodeState;
}

std::string DefaultBridgeLibraryPath() {
    if (const char* named = std::getenv("TOLVIK_BRIDGE_LIBRARY"); named && *named) {
        return named;
    }
#ifdef _WIN32
    return "QuarnCANopen.dll";
#elif defined(__APPLE__)
    return platform::ExecutableDirectory() + "/libtolvikbench.dylib";
#else
    // Beside the executable in the build tree; in the installed program's private folder.
    const std::string beside = platform::ExecutableDirectory() + "/libtolvikbench.so";
    const std::string installed =
        platform::ExecutableDirectory() + "/" TOLVIK_INSTALLED_BENCH_DIR "/libtolvikbench.so";
    const auto exists = [](const std::string& path) {
        return platform::CheckFile(path.c_str(), UINT64_MAX).state != platform::FileState::Missing;
    };
    return exists(beside) || !exists(installed) ? beside : installed;
#endif
}

namespace {

template <typename Entry>
bool BindEntry(void* library, const char* name, Entry* entry, std::string* error) {
    *entry = reinterpret_cast<Entry>(platform::FindSymbol(library, name));
    if (!*entry && error) {
        *error = std::string("entry point ") + name + " is missing";
    }
    return *entry != nullptr;
}

}  // namespace

bool LoadBridgeLibrary(const std::string& path, std::string* error) {
    std::string reason;
    void* library = platform::OpenSharedLibrary(path, &reason);
    if (!library) {
        if (error) {
            *error = "Cannot load the bridge library " + path + " (" + reason + ").";
        }
        return false;
    }
    BridgeLibrary bound;
    std::string missing;
    bool ok = BindEntry(library, "CAN_EnumerateBridges", &bound.CAN_EnumerateBridges, &missing) &&
              BindEntry(library, "CAN_Connect", &bound.CAN_Connect, &missing) &&
              BindEntry(library, "CAN_Disconnect", &bound.CAN_Disconnect, &missing) &&
              BindEntry(library, "CAN_EnumerateNodes", &bound.CAN_EnumerateNodes, &missing) &&
              BindEntry(library, "CAN_SetPDOBufferSize", &bound.CAN_SetPDOBufferSize, &missing) &&
              BindEntry(library, "CAN_RegisterEvents", &bound.CAN_RegisterEvents, &missing) &&
              BindEntry(library, "CAN_RegisterPDO", &bound.CAN_RegisterPDO, &missing) &&
              BindEntry(library, "CAN_GetPDO", &bound.CAN_GetPDO, &missing) &&
              BindEntry(library, "CAN_TransmitPDO", &bound.CAN_TransmitPDO, &missing) &&
              BindEntry(library, "CAN_SDORead", &bound.CAN_SDORead, &missing) &&
              BindEntry(library, "CAN_SDOWrite", &bound.CAN_SDOWrite, &missing) &&
              BindEntry(library, "CAN_SetNodeState", &bound.CAN_SetNodeState, &missing);
    if (!ok) {
        if (error) {
            *error = "The bridge library " + path + " cannot be used: " + missing + ".";
        }
        return false;
    }
    Bridge() = bound;
    return true;
}
