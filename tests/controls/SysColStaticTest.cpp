#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>

#include "art/Artwork.h"
#include "controls/CSysColStatic.h"
#include "res/Resource.h"

using qtui::CSysColStatic;

namespace {

QImage Image(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}
QImage Bitmap(int id) {
    return Image(res::LoadBitmap(id));
}
QImage Shown(CSysColStatic& picture) {
    return Image(picture.Picture());
}

class SysColStaticTest : public ::testing::Test {
protected:
    SysColStaticTest() { m_picture.setGeometry(20, 30, 10, 10); }

    // What a palette change does, whether the widget's own palette or the application's changed.
    void ChangeWidgetPalette() {
        QPalette palette = m_picture.palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Window).darker(110));
        m_picture.setPalette(palette);
    }

    CSysColStatic m_picture;
};

TEST_F(SysColStaticTest, MinusOneOnAFreshControlDoesNothing) {
    m_picture.SetBitmapResource(-1);
    ChangeWidgetPalette();
    EXPECT_EQ(m_picture.m_nBitmapID, -1);
    EXPECT_TRUE(m_picture.pixmap().isNull());
    EXPECT_EQ(m_picture.geometry(), QRect(20, 30, 10, 10));
}

TEST_F(SysColStaticTest, ShowsTheBitmapAtItsSizeKeepingItsCorner) {
    m_picture.SetBitmapResource(res::IDB_REMOTE_IDLE);
    EXPECT_EQ(m_picture.m_nBitmapID, res::IDB_REMOTE_IDLE);
    EXPECT_EQ(Shown(m_picture), Bitmap(res::IDB_REMOTE_IDLE));
    EXPECT_EQ(m_picture.geometry(), QRect(20, 30, 117, 198));
}

TEST_F(SysColStaticTest, DrawsTheBitmapAtTheFirstPaintNotBefore) {
    m_picture.SetBitmapResource(res::IDB_STEP1);
    // A blank of the picture's size until then.
    const QImage before = Image(m_picture.pixmap());
    EXPECT_EQ(before.size(), QSize(116, 172));
    EXPECT_EQ(before.pixel(0, 0), before.pixel(58, 86));
    m_picture.grab();
    EXPECT_EQ(Image(m_picture.pixmap()), Bitmap(res::IDB_STEP1));
}

TEST_F(SysColStaticTest, UnknownIdIsRememberedButKeepsThePicture) {
    m_picture.SetBitmapResource(res::IDB_REMOTE_IDLE);
    m_picture.SetBitmapResource(4711);
    EXPECT_EQ(m_picture.m_nBitmapID, 4711);
    EXPECT_EQ(Shown(m_picture), Bitmap(res::IDB_REMOTE_IDLE));
    // Later reloads try the unknown id again, and again change nothing.
    m_picture.SetPicture(res::LoadBitmap(res::IDB_REMOTE_RING));
    ChangeWidgetPalette();
    EXPECT_EQ(m_picture.m_nBitmapID, 4711);
    EXPECT_EQ(Shown(m_picture), Bitmap(res::IDB_REMOTE_RING));
}

TEST_F(SysColStaticTest, DirectPictureLeavesTheRememberedIdAlone) {
    m_picture.SetBitmapResource(res::IDB_REMOTE_IDLE);
    m_picture.SetPicture(res::LoadBitmap(res::IDB_REMOTE_ZOOM_PLUS));
    EXPECT_EQ(Shown(m_picture), Bitmap(res::IDB_REMOTE_ZOOM_PLUS));
    EXPECT_EQ(m_picture.m_nBitmapID, res::IDB_REMOTE_IDLE);
    m_picture.SetBitmapResource(-1);
    EXPECT_EQ(Shown(m_picture), Bitmap(res::IDB_REMOTE_IDLE));
}

TEST_F(SysColStaticTest, WidgetPaletteChangeBringsBackTheRememberedBitmap) {
    m_picture.SetBitmapResource(res::IDB_REMOTE_IDLE);
    m_picture.SetPicture(res::LoadBitmap(res::IDB_REMOTE_ZOOM_PLUS));
    ChangeWidgetPalette();
    EXPECT_EQ(Shown(m_picture), Bitmap(res::IDB_REMOTE_IDLE));
}

TEST_F(SysColStaticTest, ApplicationPaletteChangeBringsBackTheRememberedBitmap) {
    m_picture.SetBitmapResource(res::IDB_REMOTE_IDLE);
    m_picture.SetPicture(res::LoadBitmap(res::IDB_REMOTE_MEASURE));
    const QPalette original = QApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::Window, QColor(200, 180, 160));
    QApplication::setPalette(changed);
    QCoreApplication::processEvents();  // the change reaches widgets as posted events
    const QImage shown = Shown(m_picture);
    QApplication::setPalette(original);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, Bitmap(res::IDB_REMOTE_IDLE));
}

}  // namespace
