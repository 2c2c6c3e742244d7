#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "art/DialogUnits.h"

namespace res {
namespace {

// value * numerator / denominator rounded to the nearest integer, halves away from zero, in 64 bits
// so that no product overflows. The denominator is 4 or 8.
int MulDiv(int value, int numerator, int denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    const int64_t rounded =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<int>(rounded);
}

}  // namespace

QRect MapDialogRect(QRect dialogUnits, QSize baseUnits) {
    // Each edge maps on its own, so neighbouring controls keep sharing their edges.
    const int left = MulDiv(dialogUnits.x(), baseUnits.width(), 4);
    const int top = MulDiv(dialogUnits.y(), baseUnits.height(), 8);
    const int right = MulDiv(dialogUnits.x() + dialogUnits.width(), baseUnits.width(), 4);
    const int bottom = MulDiv(dialogUnits.y() + dialogUnits.height(), baseUnits.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

QFont DialogFont(const DialogTemplate& dialog) {
    QFont font(QString::fromLatin1(dialog.fontName));
    // Where the template's font is not installed, a font with the metrics of the platform's
    // dialog fonts keeps the texts inside the template's rectangles.
    font.setFamilies(
        QStringList{QString::fromLatin1(dialog.fontName), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(dialog.pointSize, 96, 72));
    return font;
}

QSize DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int extent =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((extent / 26 + 1) / 2, metrics.height());
}

}  // namespace res
