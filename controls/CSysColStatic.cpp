#include "controls/CSysColStatic.h"

#include <QEvent>

#include "art/Artwork.h"

CSysColStatic::CSysColStatic(QWidget* parent) : QLabel(parent) {}

void CSysColStatic::SetBitmapResource(int id) {
    if (id != -1) {
        m_nBitmapID = id;
    }
    if (m_nBitmapID == -1) {
        return;
    }
    const QPixmap picture = res::LoadBitmap(m_nBitmapID, devicePixelRatioF());
    if (!picture.isNull()) {
        SetPicture(picture);
    }
}

void CSysColStatic::SetPicture(const QPixmap& picture) {
    setPixmap(picture);
    // A picture static takes the size of its picture and keeps its top-left corner.
    if (!picture.isNull()) {
        resize(picture.deviceIndependentSize().toSize());
    }
}

void CSysColStatic::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A change of the application's palette (the system colours) arrives here as a palette change too.
    if (event->type() == QEvent::PaletteChange) {
        SetBitmapResource(-1);
    }
}
