#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include "art/ArtKit.h"
#include "res/Resource.h"

namespace res::art {
namespace {

// 77 x 106 dialog units at the dialog font's 6 x 13 base units.
constexpr int kWidth = kStepSize.width();
constexpr int kHeight = kStepSize.height();

const QColor kBaseRemote(176, 180, 186);
const QColor kWirelessRemote(118, 140, 170);
const QColor kAccent(36, 98, 178);

void DrawCard(QPainter& painter, int step) {
    painter.setPen(QPen(QColor(176, 182, 190), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1), 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawEllipse(QPointF(14, 14), 9, 9);
    painter.setFont(ArtFont(12, true));
    painter.setPen(Qt::white);
    painter.drawText(QRectF(5, 5, 18, 18), Qt::AlignCenter, QString::number(step));
}

void DrawArrow(QPainter& painter, const QPointF& from, const QPointF& to, const QColor& colour) {
    const QLineF line(from, to);
    QLineF head = line.unitVector();
    head.setLength(6);
    const QPointF back = to - (head.p2() - head.p1());
    const QPointF side = QPointF(-(head.dy()), head.dx()) * 0.6;
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, back);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({to, back + side, back - side}));
}

// An upright AA cell; `plusUp` false turns it over.
void DrawBattery(QPainter& painter, const QRectF& cell, bool plusUp) {
    const qreal nub = cell.height() * 0.07;
    const QRectF body = plusUp ? cell.adjusted(0, nub, 0, 0) : cell.adjusted(0, 0, 0, -nub);
    QLinearGradient fill(body.topLeft(), body.topRight());
    fill.setColorAt(0, QColor(40, 40, 44));
    fill.setColorAt(0.45, QColor(112, 112, 118));
    fill.setColorAt(1, QColor(36, 36, 40));
    painter.setPen(QPen(QColor(20, 20, 22), 0.8));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, 2, 2);
    const qreal bandHeight = body.height() * 0.28;
    const QRectF band = plusUp ? QRectF(body.left(), body.top(), body.width(), bandHeight)
                               : QRectF(body.left(), body.bottom() - bandHeight, body.width(), bandHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(214, 168, 56));
    painter.drawRect(band.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setBrush(QColor(150, 150, 156));
    const qreal nubWidth = cell.width() * 0.4;
    painter.drawRect(
        QRectF(cell.center().x() - nubWidth / 2, plusUp ? cell.top() : cell.bottom() - nub, nubWidth, nub));
    painter.setFont(ArtFont(std::max(6, static_cast<int>(cell.width())), true));
    painter.setPen(QColor(30, 30, 30));
    painter.drawText(band, Qt::AlignCenter, QStringLiteral("+"));
}

void DrawInstrument(QPainter& painter) {
    const QRectF head(18, 30, 80, 44);
    QLinearGradient fill(head.topLeft(), head.bottomLeft());
    fill.setColorAt(0, QColor(222, 228, 236));
    fill.setColorAt(1, QColor(160, 170, 184));
    painter.setPen(QPen(QColor(80, 88, 100), 1.2));
    painter.setBrush(fill);
    painter.drawRoundedRect(head, 7, 7);
    // Stand under the head.
    painter.setBrush(QColor(120, 128, 140));
    painter.drawPolygon(QPolygonF({QPointF(48, 74), QPointF(68, 74), QPointF(74, 82), QPointF(42, 82)}));
    // Objective lens.
    const QPointF lens(40, 52);
    painter.setBrush(QColor(40, 44, 50));
    painter.drawEllipse(lens, 15, 15);
    QRadialGradient glass(lens - QPointF(3, 3), 12);
    glass.setColorAt(0, QColor(150, 196, 246));
    glass.setColorAt(1, QColor(18, 46, 104));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(lens, 10.5, 10.5);
    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawEllipse(lens - QPointF(4, 4), 2.5, 2.5);
    // Readout.
    painter.setBrush(QColor(28, 60, 40));
    painter.drawRoundedRect(QRectF(62, 38, 28, 16), 2, 2);
    painter.setPen(QPen(QColor(120, 230, 140), 1));
    painter.drawLine(QPointF(65, 43), QPointF(84, 43));
    painter.drawLine(QPointF(65, 48), QPointF(78, 48));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSlate);
    painter.drawEllipse(QPointF(68, 63), 3, 3);
    painter.drawEllipse(QPointF(78, 63), 3, 3);
    painter.drawEllipse(QPointF(88, 63), 3, 3);
}

void DrawConnectedTick(QPainter& painter, const QPointF& centre) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 160, 70));
    painter.drawEllipse(centre, 8, 8);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(
        QPolygonF({centre + QPointF(-4, 0), centre + QPointF(-1, 3), centre + QPointF(4, -3)}));
}

// Step 1: the base remote hangs on its cable from the instrument.
void DrawStep1(QPainter& painter) {
    DrawInstrument(painter);
    QPainterPath cable(QPointF(86, 74));
    cable.cubicTo(QPointF(100, 96), QPointF(52, 92), QPointF(58, 110));
    painter.setPen(QPen(QColor(30, 30, 34), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(cable);
    DrawMiniRemote(painter, QRectF(40, 108, 36, 56), kBaseRemote);
    DrawConnectedTick(painter, QPointF(94, 146));
}

// Step 2: the wireless remote goes onto the base remote, its batteries set aside.
void DrawStep2(QPainter& painter) {
    DrawMiniRemote(painter, QRectF(22, 104, 36, 58), kBaseRemote);
    DrawMiniRemote(painter, QRectF(22, 30, 36, 58), kWirelessRemote);
    DrawRadioWaves(painter, QPointF(56, 34), 16, kAccent);
    DrawArrow(painter, QPointF(40, 90), QPointF(40, 102), kAccent);
    DrawBattery(painter, QRectF(80, 96, 10, 34), true);
    DrawBattery(painter, QRectF(94, 96, 10, 34), true);
    DrawArrow(painter, QPointF(62, 112), QPointF(78, 104), QColor(200, 40, 32));
    painter.setFont(ArtFont(9, true));
    painter.setPen(QColor(200, 40, 32));
    painter.drawText(QRectF(70, 132, 44, 14), Qt::AlignCenter, QStringLiteral("OUT"));
}

void DrawStopwatch(QPainter& painter, const QPointF& centre) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kSlate);
    painter.drawRect(QRectF(centre.x() - 3, centre.y() - 19, 6, 4));
    painter.setPen(QPen(kSlate, 2.2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 15, 15);
    painter.setFont(ArtFont(10, true));
    painter.setPen(QColor(200, 40, 32));
    painter.drawText(QRectF(centre.x() - 14, centre.y() - 8, 28, 16), Qt::AlignCenter, QStringLiteral("20s"));
}

// Step 3: the batteries go into the wireless remote, one each way up, within 20 seconds.
void DrawStep3(QPainter& painter) {
    const QRectF body(22, 62, 50, 102);
    QLinearGradient fill(body.topLeft(), body.topRight());
    fill.setColorAt(0, kWirelessRemote.lighter(112));
    fill.setColorAt(1, kWirelessRemote.darker(112));
    painter.setPen(QPen(kWirelessRemote.darker(190), 1.2));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, 8, 8);
    const QRectF bay(31, 84, 32, 68);
    painter.setPen(QPen(QColor(40, 48, 60), 1));
    painter.setBrush(QColor(64, 74, 90));
    painter.drawRoundedRect(bay, 3, 3);
    painter.setFont(ArtFont(9, true));
    painter.setPen(Qt::white);
    painter.drawText(QRectF(32, 140, 14, 11), Qt::AlignCenter, QStringLiteral("-"));
    painter.drawText(QRectF(48, 140, 14, 11), Qt::AlignCenter, QStringLiteral("+"));
    // The cells are half way in.
    DrawBattery(painter, QRectF(34, 58, 12, 46), true);
    DrawBattery(painter, QRectF(48, 58, 12, 46), false);
    DrawArrow(painter, QPointF(84, 64), QPointF(84, 100), QColor(40, 160, 70));
    DrawStopwatch(painter, QPointF(90, 30));
}

}  // namespace

QImage StepPicture(int bitmap, qreal scale) {
    QImage image = NewPicture(kStepSize, scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (bitmap) {
        case IDB_STEP1:
            DrawCard(painter, 1);
            DrawStep1(painter);
            break;
        case IDB_STEP2:
            DrawCard(painter, 2);
            DrawStep2(painter);
            break;
        case IDB_STEP3:
            DrawCard(painter, 3);
            DrawStep3(painter);
            break;
        default:
            return {};
    }
    return image;
}

}  // namespace res::art
