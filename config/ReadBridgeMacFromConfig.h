// The newer host edition's chain of configuration files that leads to the bridge's MAC address.
#pragma once

#include <cstdint>

namespace port {
class StatusSink;
}  // namespace port

namespace config {

// Follows <installDir>\bin\MainUI.exe.config to the system information file and from there to the
// hardware configuration file in <dataDir>\cfg, whose QuarnCanBridge section holds the MAC text.
// 1 when that text is there: its groups are read into `mac` as far as they have the form
// 00-1B-2C-3D-4E-5F, bytes of groups not read keep their contents. 0 otherwise; every problem
// with a file goes to the status log (a missing MAC entry says nothing).
int ReadBridgeMacFromConfig(port::StatusSink& dlg, const char* installDir, const char* dataDir,
                            uint8_t mac[6]);

}  // namespace config
