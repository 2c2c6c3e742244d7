#include <QPainter>

#include "art/ArtKit.h"
#include "res/Resource.h"

namespace res::art {
namespace {

struct KeyButton {
    int bitmap;
    int width, height;
    KeySymbol symbol;
    bool held;
};

// Held-down pictures match their normal ones in size, except 157 which is a pixel larger each
// way: its key sits one pixel lower and further right, so the button, cut to the normal size,
// shows it pushed in.
const KeyButton kButtons[] = {
    {IDB_KEY_UP, 24, 24, KeySymbol::Up, false},
    {IDB_KEY_DOWN, 25, 22, KeySymbol::Down, false},
    {IDB_KEY_MEASURE, 43, 32, KeySymbol::Measure, false},
    {IDB_KEY_RING, 24, 24, KeySymbol::Ring, false},
    {IDB_KEY_SPOT, 26, 24, KeySymbol::Dot, false},
    {IDB_KEY_ALIGN_VIEW, 42, 30, KeySymbol::AlignView, false},
    {IDB_KEY_DOWN_SELECTED, 26, 23, KeySymbol::Down, true},
    {IDB_KEY_ALIGN_VIEW_SELECTED, 42, 30, KeySymbol::AlignView, true},
    {IDB_KEY_MEASURE_SELECTED, 43, 32, KeySymbol::Measure, true},
    {IDB_KEY_RING_SELECTED, 24, 24, KeySymbol::Ring, true},
    {IDB_KEY_SPOT_SELECTED, 26, 24, KeySymbol::Dot, true},
    {IDB_KEY_UP_SELECTED, 24, 24, KeySymbol::Up, true},
};

}  // namespace

QSize KeyButtonSize(int bitmap) {
    for (const KeyButton& button : kButtons) {
        if (button.bitmap == bitmap) {
            return {button.width, button.height};
        }
    }
    return {};
}

QImage KeyButtonPicture(int bitmap, qreal scale) {
    for (const KeyButton& button : kButtons) {
        if (button.bitmap != bitmap) {
            continue;
        }
        QImage image = NewPicture(KeyButtonSize(bitmap), scale);
        QPainter painter(&image);
        QRectF key(0, 0, button.width, button.height);
        if (bitmap == IDB_KEY_DOWN_SELECTED) {
            key.adjust(1, 1, 0, 0);
        }
        DrawKey(painter, key, button.held ? KeyLook::Held : KeyLook::Normal, button.symbol);
        return image;
    }
    return {};
}

}  // namespace res::art
