#include "controls/CSubClassButton.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "art/Artwork.h"
#include "controls/VirtualKeySink.h"

namespace qtui {

CSubClassButton::CSubClassButton(QWidget* parent) : QAbstractButton(parent) {}

bool CSubClassButton::LoadBitmaps(int normal, int selected, int focused, int disabled) {
    const int bitmaps[] = {normal, selected, focused, disabled};
    for (int look = Normal; look <= Disabled; ++look) {
        m_pictures[look] = Picture{bitmaps[look], 0, {}};
    }
    updateGeometry();
    update();
    return !res::BitmapSize(normal).isEmpty();
}

const QPixmap& CSubClassButton::PictureOf(Look look) const {
    Picture& picture = m_pictures[look];
    const qreal ratio = devicePixelRatioF();
    if (picture.ratio != ratio) {
        picture.pixmap = res::LoadBitmap(picture.bitmap, ratio);
        picture.ratio = ratio;
    }
    return picture.pixmap;
}

void CSubClassButton::SizeToContent() {
    if (!sizeHint().isEmpty()) {
        resize(sizeHint());
    }
}

QSize CSubClassButton::sizeHint() const {
    return res::BitmapSize(m_pictures[Normal].bitmap);
}

void CSubClassButton::paintEvent(QPaintEvent*) {
    // Held down wins over focus, focus over disabled; the picture is drawn at its own size from the
    // top-left corner, so a larger one is cut to the button.
    const QPixmap* picture = &PictureOf(Normal);
    if (isDown() && !PictureOf(Selected).isNull()) {
        picture = &PictureOf(Selected);
    } else if (hasFocus() && !PictureOf(Focused).isNull()) {
        picture = &PictureOf(Focused);
    } else if (!isEnabled() && !PictureOf(Disabled).isNull()) {
        picture = &PictureOf(Disabled);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, *picture);
    // The key pictures have no focused look of their own: a dotted frame inside the edge shows
    // which key Space would press, in black over white so it shows on light and dark keys alike.
    // As with the platform's focus rectangles, only once the keyboard has moved the focus.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        const QRect frame = rect().adjusted(2, 2, -3, -3);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(frame);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(frame);
    }
}

void CSubClassButton::Report(bool release) {
    if (auto* sink = dynamic_cast<VirtualKeySink*>(parentWidget())) {
        sink->SendVirtualKey(property("controlId").toInt(), release);
    }
}

// The key goes out before the button shows it held down, and its release before the click.
void CSubClassButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Report(false);
        // A message box opened by the report blocks this window, so a release made while it was
        // open never reaches the button: report it now rather than leave the key down.
        if (event->spontaneous() && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            Report(true);
            return;
        }
    }
    QAbstractButton::mousePressEvent(event);
}

void CSubClassButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Report(true);
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void CSubClassButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click holds the button down like any press but is not reported:
    // the sequence a dialog sees is press, release, release.
    QAbstractButton::mousePressEvent(event);
}

}  // namespace qtui
