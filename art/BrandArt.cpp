#include <QLinearGradient>
#include <QPainter>

#include "art/ArtKit.h"

namespace res::art {

// 77 x 30 dialog units: 116 x 49 pixels.
QImage BannerPicture(qreal scale) {
    QImage image = NewPicture(kBannerSize, scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, 49);
    fill.setColorAt(0, QColor(42, 66, 98));
    fill.setColorAt(1, QColor(20, 34, 54));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0, 0, 116, 49), 5, 5);
    DrawMiniRemote(painter, QRectF(8, 6, 22, 37), QColor(186, 190, 196));
    painter.setFont(ArtFont(19, true));
    painter.setPen(Qt::white);
    painter.drawText(QRectF(34, 4, 80, 26), Qt::AlignCenter, QStringLiteral("Tolvik"));
    painter.setFont(ArtFont(9, false));
    painter.setPen(QColor(176, 200, 228));
    painter.drawText(QRectF(34, 29, 80, 14), Qt::AlignCenter, QStringLiteral("Remote Service"));
    return image;
}

// 58 x 25 dialog units: 87 x 41 pixels.
QImage WirelessLogoPicture(qreal scale) {
    QImage image = NewPicture(kLogoSize, scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(36, 98, 178), 2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(1, 1, 85, 39), 7, 7);
    DrawRadioWaves(painter, QPointF(8, 32), 22, QColor(36, 98, 178));
    DrawFittedText(painter, QRectF(30, 6, 56, 16), QStringLiteral("WIRELESS"), 10, QColor(24, 28, 34));
    DrawFittedText(painter, QRectF(30, 20, 56, 14), QStringLiteral("COMPATIBLE"), 8, QColor(36, 98, 178));
    return image;
}

}  // namespace res::art
