// What screen readers announce for the controls of the dialog templates: a name that tells the
// control apart from every other one, and for pictures a description of what they show.
#pragma once

#include <QString>

#include "res/DialogTemplate.h"

namespace res {

struct AccessibleText {
    QString name;         // empty: the control's own (changing) text speaks for it
    QString description;  // what a picture shows, else the tooltip
};

AccessibleText ControlAccessibleText(const DialogTemplate& dialog, const DialogControl& control);

}  // namespace res
