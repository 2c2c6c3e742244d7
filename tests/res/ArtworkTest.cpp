#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <vector>

#include "art/Artwork.h"
#include "art/DialogUnits.h"
#include "res/Resource.h"

namespace {

struct Size {
    int bitmap, width, height;
};

TEST(Artwork, EveryBitmapHasItsSize) {
    const Size sizes[] = {
        {130, 117, 198}, {139, 117, 198}, {140, 117, 198}, {141, 117, 198}, {142, 117, 198}, {143, 117, 198},
        {144, 117, 198}, {145, 117, 198}, {146, 117, 198}, {147, 116, 172}, {148, 116, 172}, {149, 116, 172},
        {150, 116, 49},  {151, 24, 24},   {152, 25, 22},   {153, 43, 32},   {154, 24, 24},   {155, 26, 24},
        {156, 42, 30},   {157, 26, 23},   {158, 42, 30},   {159, 43, 32},   {160, 24, 24},   {161, 26, 24},
        {162, 24, 24},   {164, 87, 41},
    };
    for (const Size& size : sizes) {
        const QPixmap picture = res::LoadBitmap(size.bitmap);
        EXPECT_EQ(picture.size(), QSize(size.width, size.height)) << "bitmap " << size.bitmap;
    }
}

TEST(Artwork, UnknownNumbersGiveNothing) {
    for (int id : {-1, 0, 100, 102, 128, 129, 131, 138, 163, 165, 1017}) {
        EXPECT_TRUE(res::LoadBitmap(id).isNull()) << id;
    }
    EXPECT_TRUE(res::LoadIcon(130).isNull());
}

TEST(Artwork, IconComesInThreeSizes) {
    const QIcon icon = res::LoadIcon(res::IDI_TOLVIK);
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48}) {
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    }
}

TEST(Artwork, CallersGetCopies) {
    QPixmap first = res::LoadBitmap(res::IDB_REMOTE_IDLE);
    first.fill(Qt::green);
    EXPECT_NE(res::LoadBitmap(res::IDB_REMOTE_IDLE).toImage().pixelColor(58, 100), QColor(Qt::green));
}

bool IsRed(QColor colour) {
    return colour.red() > 170 && colour.green() < 110 && colour.blue() < 110;
}

// Where each key sits on the 117 x 198 keypad, and which picture lights it.
struct LitKey {
    int bitmap;
    QRect key;
};

const LitKey kLitKeys[] = {
    {139, QRect(9, 38, 47, 28)},   {142, QRect(61, 38, 47, 28)},  {140, QRect(11, 80, 25, 22)},
    {141, QRect(81, 80, 25, 22)},  {145, QRect(11, 112, 25, 22)}, {146, QRect(81, 112, 25, 22)},
    {144, QRect(11, 144, 25, 22)}, {143, QRect(81, 144, 25, 22)},
};

// A point inside the key's body, clear of its symbol.
QPoint BodyPoint(const QRect& key) {
    return QPoint(key.left() + 3, key.center().y());
}

TEST(Artwork, EachKeyPictureLightsOnlyItsKeyInRed) {
    const QImage idle = res::LoadBitmap(res::IDB_REMOTE_IDLE).toImage();
    for (const LitKey& lit : kLitKeys) {
        const QImage picture = res::LoadBitmap(lit.bitmap).toImage();
        EXPECT_TRUE(IsRed(picture.pixelColor(BodyPoint(lit.key)))) << "bitmap " << lit.bitmap;
        EXPECT_FALSE(IsRed(idle.pixelColor(BodyPoint(lit.key)))) << "bitmap 130 at the key of " << lit.bitmap;
        for (const LitKey& other : kLitKeys) {
            if (other.bitmap != lit.bitmap) {
                EXPECT_FALSE(IsRed(picture.pixelColor(BodyPoint(other.key))))
                    << "bitmap " << lit.bitmap << " at the key of " << other.bitmap;
            }
        }
        // Nothing outside the key differs from the idle picture.
        QRect changed;
        for (int y = 0; y < idle.height(); ++y) {
            for (int x = 0; x < idle.width(); ++x) {
                if (picture.pixel(x, y) != idle.pixel(x, y)) {
                    changed |= QRect(x, y, 1, 1);
                }
            }
        }
        EXPECT_TRUE(lit.key.contains(changed)) << "bitmap " << lit.bitmap;
    }
}

int Lightness(const QPixmap& picture, QPoint at) {
    return picture.toImage().pixelColor(at).lightness();
}

TEST(Artwork, KeyButtonsAreDarkUpAndLightHeldDown) {
    for (const res::KeyButtonBitmaps& button : res::KeyButtonBitmapTable()) {
        const QPixmap normal = res::LoadBitmap(button.normal);
        const QPixmap held = res::LoadBitmap(button.selected);
        const QPoint body(4, normal.height() / 2);
        EXPECT_LT(Lightness(normal, body), 100) << "bitmap " << button.normal;
        EXPECT_GT(Lightness(held, body), 160) << "bitmap " << button.selected;
        if (button.selected != res::IDB_KEY_DOWN_SELECTED) {
            EXPECT_EQ(held.size(), normal.size()) << "bitmap " << button.selected;
        }
    }
}

}  // namespace
