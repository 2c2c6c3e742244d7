// Screen-reader names for the controls of a dialog built from a template in res/, from the same
// table the Qt front end uses. Pictures, the list, the bars and the fields answer WM_GETOBJECT
// with an accessible object of their own that takes the name and description from the table and
// everything else from the system's standard object; buttons are named by their window text
// (owner-drawn keys draw none, so theirs carries the name).
#pragma once

#include <windows.h>

#include "res/DialogTemplate.h"

namespace win32 {

// `dialog` was built from `layout`, its children in the template's order. GUI thread, once.
void NameControls(HWND dialog, const res::DialogTemplate& layout);

}  // namespace win32
