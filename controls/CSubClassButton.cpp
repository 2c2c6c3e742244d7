#include "controls/CSubClassButton.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "art/Artwork.h"
#include "controls/VirtualKeySink.h"

CSubClassButton::CSubClassButton(QWidget* parent) : QAbstractButton(parent) {}

bool CSubClassButton::LoadBitmaps(int normal, int selected, int focused, int disabled) {
    m_normal = res::LoadBitmap(normal);
    m_selected = res::LoadBitmap(selected);
    m_focused = res::LoadBitmap(focused);
    m_disabled = res::LoadBitmap(disabled);
    updateGeometry();
    update();
    return !m_normal.isNull();
}

void CSubClassButton::SizeToContent() {
    if (!m_normal.isNull()) {
        resize(m_normal.size());
    }
}

QSize CSubClassButton::sizeHint() const {
    return m_normal.size();
}

void CSubClassButton::paintEvent(QPaintEvent*) {
    // Held down wins over focus, focus over disabled; the picture is drawn at its own size from the
    // top-left corner, so a larger one is cut to the button.
    const QPixmap* picture = &m_normal;
    if (isDown() && !m_selected.isNull()) {
        picture = &m_selected;
    } else if (hasFocus() && !m_focused.isNull()) {
        picture = &m_focused;
    } else if (!isEnabled() && !m_disabled.isNull()) {
        picture = &m_disabled;
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
