#include "canlink/BridgeLibrary.h"

#include <cstdint>
#include <cstdlib>

#include "platform/File.h"
#include "platform/SharedLibrary.h"

namespace canlink {

BridgeLibrary& Bridge() {
    static BridgeLibrary library;
    return library;
}

bool BridgeLibraryLoaded() {
    return Bridge().IsBound();
}

bool BridgeLibrary::IsBound() const {
#define TOLVIK_IS_BOUND(name, result, parameters, arguments) &&name != nullptr
    return true CAN_OPERATIONS(TOLVIK_IS_BOUND);
#undef TOLVIK_IS_BOUND
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
bool BindEntry(const platform::SharedLibrary& library, const char* name, Entry* entry, std::string* error) {
    *entry = reinterpret_cast<Entry>(platform::FindSymbol(library, name));
    if (!*entry && error) {
        *error = std::string("entry point ") + name + " is missing";
    }
    return *entry != nullptr;
}

}  // namespace

bool LoadBridgeLibrary(const std::string& path, std::string* error) {
    std::string reason;
    platform::SharedLibrary library = platform::OpenSharedLibrary(path, &reason);
    if (!library) {
        if (error) {
            *error = "Cannot load the bridge library " + path + " (" + reason + ").";
        }
        return false;
    }
    BridgeLibrary bound;
    std::string missing;
    // In the list's order; the first entry point missing stops the binding.
#define TOLVIK_BIND(name, result, parameters, arguments) &&BindEntry(library, #name, &bound.name, &missing)
    const bool ok = true CAN_OPERATIONS(TOLVIK_BIND);
#undef TOLVIK_BIND
    if (!ok) {
        if (error) {
            *error = "The bridge library " + path + " cannot be used: " + missing + ".";
        }
        return false;
    }
    bound.TOLVIK_SetReasonProc =
        reinterpret_cast<PFN_TOLVIK_SetReasonProc>(platform::FindSymbol(library, "TOLVIK_SetReasonProc"));
    Bridge() = bound;
    library.release();  // loaded for the rest of the process, as the binding promises
    return true;
}

}  // namespace canlink
