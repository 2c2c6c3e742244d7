// What screen readers announce for the controls of the dialog templates: a name that tells the
// control apart from every other one, and for pictures a description of what they show. Plain
// data, for any front end.
#pragma once

#include "res/DialogTemplate.h"

namespace res {

struct AccessibleText {
    // Never null; empty when the control's own (changing) text speaks for it. May hold the '&'
    // that marks an access key, which is not spoken.
    const char* name;
    // What a picture shows, else the tooltip; null when there is neither.
    const char* description;
};

AccessibleText ControlAccessibleText(const DialogTemplate& dialog, const DialogControl& control);

}  // namespace res
