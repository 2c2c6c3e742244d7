// The mapping of dialog units to pixels for the Qt front end, which lays out the templates itself.
#pragma once

#include <QRect>
#include <QSize>

#include "res/DialogTemplate.h"

class QFont;

namespace res {

// Dialog units to pixels as the platform maps them: x * base.width / 4, y * base.height / 8,
// each edge rounded to the nearest pixel.
QRect MapDialogRect(QRect dialogUnits, QSize baseUnits);
// The template's font at its point size, taken at the platform's 96 dots per inch; the default sans
// font stands in when the named one is not installed.
QFont DialogFont(const DialogTemplate& dialog);
// The dialog base units of `font`: the rounded average width of the 52 Latin letters, and the
// font's height.
QSize DialogBaseUnits(const QFont& font);

}  // namespace res
