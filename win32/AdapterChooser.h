// The adapter chooser on the Win32 API, from the template it builds at run time with the shared
// texts: the COM ports found, a bit rate, Remember (HKCU\Software\Tolvik), Refresh, Connect and
// Cancel. Modal, before the main dialog.
#pragma once

namespace win32 {

// Shows the chooser; on Connect remembers (or forgets) the choice and hands it to the adapter
// library. False when the user cancelled.
bool RunAdapterChooser();

}  // namespace win32
