#include "controls/CSysColStatic.h"

#include <QEvent>
#include <QPalette>

#include "art/Artwork.h"

namespace qtui {

CSysColStatic::CSysColStatic(QWidget* parent) : QLabel(parent) {}

void CSysColStatic::SetBitmapResource(int id) {
    if (id != -1) {
        m_nBitmapID = id;
    }
    const QSize size = res::BitmapSize(m_nBitmapID);
    if (size.isEmpty()) {
        return;
    }
    // A picture static takes the size of its picture and keeps its top-left corner.
    resize(size);
    m_shownBitmap = m_nBitmapID;
    m_bitmapDue = true;
    if (pixmap().isNull()) {
        // Until drawn, a blank of its size: a picture to accessibility (not text) from the start.
        QPixmap blank(size);
        blank.fill(palette().color(QPalette::Window));
        setPixmap(blank);
    }
    update();
}

void CSysColStatic::SetPicture(const QPixmap& picture) {
    m_bitmapDue = false;
    m_drawnRatio = 0;  // not the remembered bitmap: kept as it is when the ratio changes
    setPixmap(picture);
    if (!picture.isNull()) {
        resize(picture.deviceIndependentSize().toSize());
    }
}

QPixmap CSysColStatic::Picture() {
    DrawIfDue();
    return pixmap();
}

void CSysColStatic::DrawIfDue() {
    const qreal ratio = devicePixelRatioF();
    if (!m_bitmapDue && !(m_drawnRatio > 0 && m_drawnRatio != ratio)) {
        return;
    }
    const QPixmap picture = res::LoadBitmap(m_shownBitmap, ratio);
    m_bitmapDue = false;
    m_drawnRatio = ratio;
    if (!picture.isNull()) {
        setPixmap(picture);
    }
}

void CSysColStatic::paintEvent(QPaintEvent* event) {
    DrawIfDue();
    QLabel::paintEvent(event);
}

void CSysColStatic::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A change of the application's palette (the system colours) arrives here as a palette change too.
    if (event->type() == QEvent::PaletteChange) {
        SetBitmapResource(-1);
    }
}

}  // namespace qtui
