#include "canlink/BindBridgeLibrary.h"

#include <string>

#include "canlink/BridgeLibrary.h"
#include "canlink/LinkSession.h"
#include "port/StatusSink.h"

using port::MessageIcon;
using port::StatusSink;

namespace canlink {

bool BindBridgeLibrary(StatusSink& status, LinkSession& link) {
    if (Bridge().IsBound()) {
        return true;
    }
    std::string error;
    if (!LoadBridgeLibrary(DefaultBridgeLibraryPath(), &error)) {
        link.m_linkFailed = 1;
        status.ShowMessageBox(error.c_str(), MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace canlink
