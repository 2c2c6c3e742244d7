#include "chooser/StartUp.h"

#include <cstdlib>
#include <string>

#include "canlink/BridgeLibrary.h"
#include "commandline/FileArgument.h"

using canlink::Bridge;
using canlink::DefaultBridgeLibraryPath;
using canlink::LoadBridgeLibrary;
using commandline::SetEnvironment;

namespace chooser {

bool WantsAdapterChoice() {
    if (const char* named = std::getenv("TOLVIK_CAN_ADAPTER"); named && *named) {
        return false;
    }
    std::string ignored;  // the main dialog's binding says why, in its own words
    if (!Bridge().IsBound() && !LoadBridgeLibrary(DefaultBridgeLibraryPath(), &ignored)) {
        return false;
    }
    return Bridge().IsAdapterLibrary();
}

void HandOver(const Choice& choice) {
    SetEnvironment("TOLVIK_CAN_ADAPTER", AdapterText(choice));
}

}  // namespace chooser
