// In-memory extended dialog templates built from the shared template data, so the Win32 front end
// and the Qt one lay out the same dialogs from one source.
#pragma once

#include <windows.h>

#include <vector>

#include "res/DialogTemplate.h"

namespace win32 {

// The words of a DLGTEMPLATEEX for `dialog`, ready for the *Indirect dialog functions. Pictures
// name their bitmap resource, so the dialog manager loads them from the program's module.
std::vector<WORD> BuildDialogTemplate(const res::DialogTemplate& dialog);

}  // namespace win32
