#include "app/CBatteryField.h"

#include <QPainter>
#include <QStyleOptionFrame>

namespace qtui {

CBatteryField::CBatteryField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
}

void CBatteryField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame frame;
    initStyleOption(&frame);
    painter.fillRect(rect(), Qt::white);
    style()->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, &painter, this);

    const QString content = text();
    if (content.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font());
    QRect block(0, 0, metrics.horizontalAdvance(content), metrics.height());
    block.moveCenter(rect().center());
    painter.fillRect(block, textBackground ? textBackground() : QColor(Qt::white));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(block, Qt::AlignCenter, content);
}

}  // namespace qtui
