// The dialog on a 150 % screen (Qt's QT_SCALE_FACTOR, set before the application starts): every
// picture is drawn at the device pixel ratio, not a 100 % picture scaled up, while the layout keeps
// its device-independent sizes.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "app/CTolvikDlg.h"
#include "art/Artwork.h"
#include "res/Resource.h"
#include "tests/app/DialogFixture.h"

namespace {

// Before main, and so before the QApplication reads it.
const bool kScaled = qputenv("QT_SCALE_FACTOR", "1.5");

// What `widget` shows, at the screen's pixels.
QImage Grab(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB888);
}

QImage Pixels(int bitmap, qreal ratio) {
    return res::LoadBitmap(bitmap, ratio).toImage().convertToFormat(QImage::Format_RGB888);
}

using HighDpiTest = DialogTest;

TEST_F(HighDpiTest, PicturesAreDrawnAtTheDevicePixelRatio) {
    ASSERT_TRUE(kScaled);
    Start();
    m_dlg->show();
    QCoreApplication::processEvents();
    ASSERT_DOUBLE_EQ(m_dlg->devicePixelRatioF(), 1.5);

    struct Row {
        int controlId, bitmap;
    };
    const Row pictures[] = {{res::IDC_REMOTE_PICTURE, res::IDB_REMOTE_IDLE},
                            {res::IDC_STEP1, res::IDB_STEP1},
                            {res::IDC_STEP2, res::IDB_STEP2},
                            {res::IDC_STEP3, res::IDB_STEP3}};
    for (const Row& row : pictures) {
        auto* label = static_cast<QLabel*>(m_dlg->GetDlgItem(row.controlId));
        const QPixmap shown = label->pixmap();
        EXPECT_DOUBLE_EQ(shown.devicePixelRatio(), 1.5) << row.bitmap;
        // Device-independent size as at 100 %, device pixels half as many again each way.
        EXPECT_EQ(shown.deviceIndependentSize().toSize(), res::LoadBitmap(row.bitmap).size()) << row.bitmap;
        EXPECT_EQ(shown.size(), Pixels(row.bitmap, 1.5).size()) << row.bitmap;
        EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_RGB888), Pixels(row.bitmap, 1.5))
            << row.bitmap;
    }

    // On the screen, where the remote's picture fills its control; the 100 % picture scaled up is
    // not what shows: the drawing at 1.5 is sharper.
    const QImage remote = Grab(m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE));
    EXPECT_EQ(remote, Pixels(res::IDB_REMOTE_IDLE, 1.5));
    const QImage scaledUp = Pixels(res::IDB_REMOTE_IDLE, 1)
                                .scaled(remote.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_RGB888);
    EXPECT_NE(remote, scaledUp);

    // A key: its 100 % size in the layout, its picture at 1.5.
    QWidget* key = m_dlg->GetDlgItem(res::IDC_KEY_MEASURE);
    EXPECT_EQ(key->size(), res::LoadBitmap(res::IDB_KEY_MEASURE).size());
    EXPECT_EQ(Grab(key), Pixels(res::IDB_KEY_MEASURE, 1.5));
}

TEST_F(HighDpiTest, AHighlightIsDrawnAtTheRatioToo) {
    Start();
    m_dlg->show();
    QCoreApplication::processEvents();  // the first paint, which shows the idle picture
    m_dlg->SetItemPicture(res::IDC_REMOTE_PICTURE, res::IDB_REMOTE_ZOOM_PLUS);
    auto* label = static_cast<QLabel*>(m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE));
    const QImage shown = label->pixmap().toImage().convertToFormat(QImage::Format_RGB888);
    const QImage expected = Pixels(res::IDB_REMOTE_ZOOM_PLUS, 1.5);
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_DOUBLE_EQ(shown.devicePixelRatio(), expected.devicePixelRatio());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(label->size(), res::LoadBitmap(res::IDB_REMOTE_ZOOM_PLUS).size());
}

}  // namespace
