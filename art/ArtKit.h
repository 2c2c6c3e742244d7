// Drawing pieces shared by the picture generators, and the generators themselves.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

namespace res::art {

// The dialog's face colour, behind every picture's rounded corners.
inline const QColor kFace(240, 240, 240);
inline const QColor kSlate(46, 56, 70);

enum class KeySymbol { AlignView, Measure, Down, Up, Dot, Ring };
enum class KeyLook {
    Normal,  // dark slate key, white symbol
    Lit,     // red key, white symbol: the key being pressed on the remote
    Held,    // light grey key, slate symbol: a virtual key held down
};

// The default sans font at an exact pixel size, so pictures look the same on every screen.
QFont ArtFont(int pixelSize, bool bold);
// A 24-bit picture of `size` pixels at 100 %, drawn at `scale` (its device pixel ratio: painters
// on it keep those coordinates), filled with `background`.
QImage NewPicture(QSize size, qreal scale, const QColor& background = kFace);
// `text` centred in `box`, in the largest bold size up to `pixelSize` that fits its width.
void DrawFittedText(QPainter& painter, const QRectF& box, const QString& text, int pixelSize,
                    const QColor& colour);
void DrawKey(QPainter& painter, const QRectF& key, KeyLook look, KeySymbol symbol);
// A small keypad seen from the front, for the step pictures, the banner and the icon.
void DrawMiniRemote(QPainter& painter, const QRectF& body, const QColor& bodyColour);
// A radio mark: a dot at `origin` with three arcs opening to the upper right, `size` across.
void DrawRadioWaves(QPainter& painter, const QPointF& origin, qreal size, const QColor& colour);

// Each picture's size at 100 %, known without drawing it.
inline constexpr QSize kRemoteSize(117, 198);
inline constexpr QSize kStepSize(116, 172);
inline constexpr QSize kBannerSize(116, 49);
inline constexpr QSize kLogoSize(87, 41);
// The key button picture `bitmap`'s (151 to 162); an empty size for any other number.
QSize KeyButtonSize(int bitmap);

// Each picture at `scale` (1 = 100 %, 1.5 = 150 %...): its 100 % size times `scale`, rounded.
// The keypad with no key lit (130) or with the key of bitmap `litBitmap` (139 to 146) in red.
QImage RemotePicture(int litBitmap, qreal scale);
// The virtual-remote key pictures 151 to 162.
QImage KeyButtonPicture(int bitmap, qreal scale);
// Step pictures 147 to 149.
QImage StepPicture(int bitmap, qreal scale);
QImage BannerPicture(qreal scale);
QImage WirelessLogoPicture(qreal scale);
QImage IconPicture(int size);

}  // namespace res::art
