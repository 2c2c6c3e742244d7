#include "art/ArtKit.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

namespace res::art {
namespace {

struct KeyColours {
    QColor top, bottom, border, symbol;
};

KeyColours ColoursOf(KeyLook look) {
    switch (look) {
        case KeyLook::Lit:
            return {QColor(238, 66, 54), QColor(198, 30, 24), QColor(112, 14, 10), Qt::white};
        case KeyLook::Held:
            return {QColor(224, 226, 230), QColor(196, 199, 204), QColor(128, 132, 140), kSlate};
        case KeyLook::Normal:
            break;
    }
    return {QColor(80, 94, 112), kSlate, QColor(22, 28, 36), Qt::white};
}

void DrawSymbol(QPainter& painter, const QRectF& key, KeySymbol symbol, const QColor& colour) {
    const QPointF centre = key.center();
    const qreal size = std::min(key.width(), key.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (symbol) {
        case KeySymbol::AlignView: {
            const qreal half = key.height() / 2;
            DrawFittedText(painter, QRectF(key.left(), key.top() + 1, key.width(), half),
                           QStringLiteral("ALIGN"), 9, colour);
            DrawFittedText(painter, QRectF(key.left(), key.top() + half - 1, key.width(), half),
                           QStringLiteral("VIEW"), 9, colour);
            painter.setPen(QPen(colour, 1));
            painter.drawLine(QPointF(centre.x() - key.width() * 0.25, centre.y() + 0.5),
                             QPointF(centre.x() + key.width() * 0.25, centre.y() + 0.5));
            break;
        }
        case KeySymbol::Measure:
            DrawFittedText(painter, key, QStringLiteral("MEASURE"), 9, colour);
            break;
        case KeySymbol::Down:
        case KeySymbol::Up: {
            const qreal w = size * 0.30;
            const qreal h = size * 0.24;
            const qreal tip = symbol == KeySymbol::Down ? h : -h;
            painter.drawPolygon(QPolygonF({QPointF(centre.x() - w, centre.y() - tip),
                                           QPointF(centre.x() + w, centre.y() - tip),
                                           QPointF(centre.x(), centre.y() + tip)}));
            break;
        }
        case KeySymbol::Dot:
            painter.drawEllipse(centre, size * 0.2, size * 0.2);
            break;
        case KeySymbol::Ring:
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(colour, std::max<qreal>(1.5, size * 0.08)));
            painter.drawEllipse(centre, size * 0.22, size * 0.22);
            break;
    }
}

}  // namespace

QFont ArtFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QImage NewPicture(QSize size, qreal scale, const QColor& background) {
    QImage image(qRound(size.width() * scale), qRound(size.height() * scale), QImage::Format_RGB888);
    image.setDevicePixelRatio(scale);
    image.fill(background);
    return image;
}

void DrawFittedText(QPainter& painter, const QRectF& box, const QString& text, int pixelSize,
                    const QColor& colour) {
    QFont font = ArtFont(pixelSize, true);
    const auto fits = [&] { return QFontMetricsF(font).horizontalAdvance(text) <= box.width() - 4; };
    if (!fits()) {
        // Closer letters first: a long word stays readable longer than a smaller one.
        font.setLetterSpacing(QFont::PercentageSpacing, 90);
    }
    while (pixelSize > 5 && !fits()) {
        font.setPixelSize(--pixelSize);
    }
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

void DrawKey(QPainter& painter, const QRectF& key, KeyLook look, KeySymbol symbol) {
    const KeyColours colours = ColoursOf(look);
    const qreal radius = std::min(key.width(), key.height()) * 0.18;
    QLinearGradient fill(key.topLeft(), key.bottomLeft());
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(key.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // A thin light edge along the top gives the key its raised look.
    painter.setPen(QPen(colours.top.lighter(130), 1));
    painter.drawLine(QPointF(key.left() + radius, key.top() + 1.5),
                     QPointF(key.right() - radius, key.top() + 1.5));
    DrawSymbol(painter, key.adjusted(1, 1, -1, -1), symbol, colours.symbol);
    painter.restore();
}

void DrawMiniRemote(QPainter& painter, const QRectF& body, const QColor& bodyColour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = body.width() / 10;
    QLinearGradient fill(body.topLeft(), body.topRight());
    fill.setColorAt(0, bodyColour.lighter(112));
    fill.setColorAt(1, bodyColour.darker(112));
    painter.setPen(QPen(bodyColour.darker(190), std::max<qreal>(1, unit * 0.25)));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, unit * 1.6, unit * 1.6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(34, 38, 44));
    painter.drawRoundedRect(QRectF(body.left() + unit, body.top() + unit, unit * 8, body.height() * 0.12),
                            unit * 0.5, unit * 0.5);
    // Two wide keys, then three rows of a key on each side.
    painter.setBrush(kSlate);
    const qreal wideTop = body.top() + body.height() * 0.22;
    painter.drawRoundedRect(QRectF(body.left() + unit, wideTop, unit * 3.7, body.height() * 0.12), unit * 0.5,
                            unit * 0.5);
    painter.drawRoundedRect(QRectF(body.left() + unit * 5.3, wideTop, unit * 3.7, body.height() * 0.12),
                            unit * 0.5, unit * 0.5);
    for (int row = 0; row < 3; ++row) {
        const qreal top = body.top() + body.height() * (0.42 + 0.16 * row);
        painter.drawRoundedRect(QRectF(body.left() + unit, top, unit * 2.4, body.height() * 0.1), unit * 0.4,
                                unit * 0.4);
        painter.drawRoundedRect(QRectF(body.left() + unit * 6.6, top, unit * 2.4, body.height() * 0.1),
                                unit * 0.4, unit * 0.4);
    }
    painter.restore();
}

void DrawRadioWaves(QPainter& painter, const QPointF& origin, qreal size, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(origin, size * 0.1, size * 0.1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, std::max<qreal>(1, size * 0.09), Qt::SolidLine, Qt::RoundCap));
    for (int ring = 1; ring <= 3; ++ring) {
        const qreal radius = size * 0.3 * ring;
        // Qt measures arcs in sixteenths of a degree, counter-clockwise from three o'clock.
        painter.drawArc(QRectF(origin.x() - radius, origin.y() - radius, radius * 2, radius * 2), 5 * 16,
                        80 * 16);
    }
    painter.restore();
}

}  // namespace res::art
