#include "canlink/BindBridgeLibrary.h"

#include <string>

#include "canlink/BridgeLibrary.h"
#include "port/MainDialogPort.h"

bool BindBridgeLibrary(MainDialogPort& dlg) {
    if (Bridge().IsBound()) {
        return true;
    }
    std::string error;
    if (!LoadBridgeLibrary(DefaultBridgeLibraryPath(), &error)) {
        dlg.m_linkFailed = 1;
        dlg.ShowMessageBox(error.c_str(), MessageIcon::Error);
        return false;
    }
    return true;
}
