#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <iterator>

#include "art/ArtKit.h"
#include "res/Resource.h"

namespace res::art {
namespace {

constexpr int kWidth = kRemoteSize.width();
constexpr int kHeight = kRemoteSize.height();

struct RemoteKey {
    int litBitmap;  // the picture that shows this key in red
    QRectF rect;
    KeySymbol symbol;
};

const RemoteKey kKeys[] = {
    {IDB_REMOTE_ALIGN_VIEW, QRectF(9, 38, 47, 28), KeySymbol::AlignView},
    {IDB_REMOTE_MEASURE, QRectF(61, 38, 47, 28), KeySymbol::Measure},
    {IDB_REMOTE_FOCUS_MINUS, QRectF(11, 80, 25, 22), KeySymbol::Down},
    {IDB_REMOTE_FOCUS_PLUS, QRectF(81, 80, 25, 22), KeySymbol::Up},
    {IDB_REMOTE_ZOOM_MINUS, QRectF(11, 112, 25, 22), KeySymbol::Down},
    {IDB_REMOTE_ZOOM_PLUS, QRectF(81, 112, 25, 22), KeySymbol::Up},
    {IDB_REMOTE_SPOT, QRectF(11, 144, 25, 22), KeySymbol::Dot},
    {IDB_REMOTE_RING, QRectF(81, 144, 25, 22), KeySymbol::Ring},
};

struct RowLabel {
    const char* text;
    qreal top;
};

const RowLabel kRowLabels[] = {{"FOCUS", 80}, {"ZOOM", 112}, {"SOURCE", 144}};

void DrawBody(QPainter& painter) {
    const QRectF body(1.5, 1.5, kWidth - 3, kHeight - 3);
    QLinearGradient fill(body.topLeft(), body.topRight());
    fill.setColorAt(0, QColor(186, 190, 195));
    fill.setColorAt(0.5, QColor(172, 176, 182));
    fill.setColorAt(1, QColor(150, 154, 160));
    painter.setPen(QPen(QColor(88, 92, 98), 1.5));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, 13, 13);
}

void DrawLogoStrip(QPainter& painter) {
    const QRectF strip(8, 7, kWidth - 16, 22);
    painter.setPen(QPen(QColor(16, 18, 22), 1));
    painter.setBrush(QColor(34, 38, 44));
    painter.drawRoundedRect(strip, 4, 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(214, 40, 32));
    painter.drawEllipse(QPointF(strip.left() + 11, strip.center().y()), 4, 4);
    painter.setFont(ArtFont(11, true));
    painter.setPen(Qt::white);
    painter.drawText(strip.adjusted(18, 0, 0, 0), Qt::AlignCenter, QStringLiteral("QUARN"));
}

void DrawFooter(QPainter& painter) {
    // Status lamp and speaker slots below the keys.
    QRadialGradient lamp(QPointF(58.5, 180), 4);
    lamp.setColorAt(0, QColor(150, 255, 150));
    lamp.setColorAt(1, QColor(30, 150, 40));
    painter.setPen(QPen(QColor(60, 70, 60), 0.8));
    painter.setBrush(lamp);
    painter.drawEllipse(QPointF(58.5, 180), 3, 3);
    painter.setPen(QPen(QColor(110, 114, 120), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 176 + i * 4;
        painter.drawLine(QPointF(20, y), QPointF(40, y));
        painter.drawLine(QPointF(77, y), QPointF(97, y));
    }
}

}  // namespace

QImage RemotePicture(int litBitmap, qreal scale) {
    QImage image = NewPicture(kRemoteSize, scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawBody(painter);
    DrawLogoStrip(painter);
    for (const RemoteKey& key : kKeys) {
        DrawKey(painter, key.rect, key.litBitmap == litBitmap ? KeyLook::Lit : KeyLook::Normal, key.symbol);
    }
    for (const RowLabel& label : kRowLabels) {
        DrawFittedText(painter, QRectF(36, label.top, 45, 22), QString::fromLatin1(label.text), 9,
                       QColor(30, 34, 40));
    }
    DrawFooter(painter);
    return image;
}

QImage IconPicture(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const qreal width = size * 0.62;
    DrawMiniRemote(painter, QRectF((size - width) / 2, size * 0.04, width, size * 0.92),
                   QColor(176, 180, 186));
    return image;
}

}  // namespace res::art
