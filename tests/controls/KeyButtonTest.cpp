#include <gtest/gtest.h>

#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <stdexcept>
#include <string>
#include <vector>

#include "art/Artwork.h"
#include "art/DialogUnits.h"
#include "controls/CSubClassButton.h"
#include "controls/VirtualKeySink.h"
#include "res/Resource.h"

using qtui::CSubClassButton;
using qtui::VirtualKeySink;

namespace {

// A dialog stand-in that records what its key buttons report, and whether the reporting button
// already looked held down at that moment.
class RecordingSink : public QWidget, public VirtualKeySink {
public:
    void SendVirtualKey(int controlId, bool release) override {
        const auto* button = findChild<CSubClassButton*>();
        calls.push_back((release ? "release " : "press ") + std::to_string(controlId) +
                        (button && button->isDown() ? " down" : " up"));
    }
    std::vector<std::string> calls;
};

const res::KeyButtonBitmaps& BitmapsOf(int controlId) {
    for (const res::KeyButtonBitmaps& entry : res::KeyButtonBitmapTable()) {
        if (entry.controlId == controlId) {
            return entry;
        }
    }
    throw std::invalid_argument("no such key button");
}

class KeyButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_sink.resize(200, 120);
        m_sink.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_sink));
    }

    CSubClassButton* AddButton(int controlId) {
        auto* button = new CSubClassButton(&m_sink);
        button->setProperty("controlId", controlId);
        const res::KeyButtonBitmaps& bitmaps = BitmapsOf(controlId);
        button->LoadBitmaps(bitmaps.normal, bitmaps.selected, bitmaps.focused, bitmaps.disabled);
        button->move(30, 20);
        button->SizeToContent();
        button->show();
        QObject::connect(button, &QAbstractButton::clicked, [this] { m_sink.calls.push_back("clicked"); });
        return button;
    }

    // Mouse input goes through the window, as the platform delivers it: the window system's double
    // click detection and the press's implicit grab take part.
    QWindow* Window() { return m_sink.windowHandle(); }
    QPoint Centre(QWidget* widget) { return widget->mapTo(&m_sink, widget->rect().center()); }
    void Press(QWidget* widget) { QTest::mousePress(Window(), Qt::LeftButton, {}, Centre(widget)); }
    void Release(QWidget* widget) { QTest::mouseRelease(Window(), Qt::LeftButton, {}, Centre(widget)); }

    RecordingSink m_sink;
};

TEST_F(KeyButtonTest, ButtonTakesItsNormalPicturesSizeAndKeepsItsCorner) {
    const struct {
        int controlId;
        QSize size;
    } sizes[] = {{1003, {42, 30}}, {1005, {43, 32}}, {1004, {25, 22}}, {1007, {24, 24}},
                 {1008, {25, 22}}, {1009, {24, 24}}, {1010, {26, 24}}, {1011, {24, 24}}};
    for (const auto& expected : sizes) {
        CSubClassButton* button = AddButton(expected.controlId);
        EXPECT_EQ(button->geometry(), QRect(QPoint(30, 20), expected.size)) << expected.controlId;
        delete button;
    }
}

TEST_F(KeyButtonTest, PressAndReleaseAreReportedBeforeTheButtonReacts) {
    CSubClassButton* button = AddButton(res::IDC_KEY_MEASURE);
    Press(button);
    EXPECT_TRUE(button->isDown());
    Release(button);
    EXPECT_EQ(m_sink.calls, (std::vector<std::string>{"press 1005 up", "release 1005 down", "clicked"}));
}

TEST_F(KeyButtonTest, OnlyTheLeftMouseButtonIsReported) {
    CSubClassButton* button = AddButton(res::IDC_KEY_SPOT);
    QTest::mouseClick(Window(), Qt::RightButton, {}, Centre(button));
    QTest::mouseClick(Window(), Qt::MiddleButton, {}, Centre(button));
    EXPECT_TRUE(m_sink.calls.empty());
}

TEST_F(KeyButtonTest, SpaceBarClicksWithoutReporting) {
    CSubClassButton* button = AddButton(res::IDC_KEY_RING);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(m_sink.calls, (std::vector<std::string>{"clicked"}));
}

TEST_F(KeyButtonTest, SecondPressOfADoubleClickIsNotReported) {
    CSubClassButton* button = AddButton(res::IDC_KEY_ZOOM_PLUS);
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, Centre(button));
    EXPECT_EQ(m_sink.calls, (std::vector<std::string>{"press 1009 up", "release 1009 down", "clicked",
                                                      "release 1009 down", "clicked"}));
    EXPECT_FALSE(button->isDown());
}

TEST_F(KeyButtonTest, PressDraggedOffStillReportsItsRelease) {
    CSubClassButton* button = AddButton(res::IDC_KEY_ALIGN_VIEW);
    const QPoint outside(150, 100);
    Press(button);
    QTest::mouseMove(Window(), outside);
    QTest::mouseRelease(Window(), Qt::LeftButton, {}, outside);
    // Dragged off, the button shows itself up again but keeps the mouse: the release is still its own.
    EXPECT_EQ(m_sink.calls, (std::vector<std::string>{"press 1003 up", "release 1003 up"}));
    EXPECT_FALSE(button->isDown());
}

TEST_F(KeyButtonTest, ButtonWithoutASinkStillWorks) {
    QWidget plain;
    plain.resize(100, 100);
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    auto* button = new CSubClassButton(&plain);
    button->LoadBitmaps(res::IDB_KEY_UP, res::IDB_KEY_UP_SELECTED, res::IDB_KEY_UP, res::IDB_KEY_UP);
    button->SizeToContent();
    button->show();
    bool clicked = false;
    QObject::connect(button, &QAbstractButton::clicked, [&] { clicked = true; });
    QTest::mouseClick(plain.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    EXPECT_TRUE(clicked);
}

QImage Shown(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Picture(int bitmap, QSize cut) {
    return res::LoadBitmap(bitmap)
        .toImage()
        .copy(QRect(QPoint(0, 0), cut))
        .convertToFormat(QImage::Format_RGB32);
}

// The held Focus down and Zoom down keys show only the top-left 25 x 22 of their 26 x 23 picture.
TEST_F(KeyButtonTest, HeldDownShowsTheSelectedPictureCutToTheButton) {
    ASSERT_EQ(res::LoadBitmap(res::IDB_KEY_DOWN_SELECTED).size(), QSize(26, 23));
    for (int controlId :
         {res::IDC_KEY_FOCUS_MINUS, res::IDC_KEY_ZOOM_MINUS, res::IDC_KEY_MEASURE, res::IDC_KEY_RING}) {
        CSubClassButton* button = AddButton(controlId);
        const res::KeyButtonBitmaps& bitmaps = BitmapsOf(controlId);
        EXPECT_EQ(Shown(button), Picture(bitmaps.normal, button->size())) << controlId;
        Press(button);
        EXPECT_EQ(Shown(button), Picture(bitmaps.selected, button->size())) << controlId;
        Release(button);
        EXPECT_EQ(Shown(button), Picture(bitmaps.normal, button->size())) << controlId;
        delete button;
    }
}

// The pictures' focused look is their normal one: the focus shows as a frame, once the keyboard
// moved it there (a click alone leaves the key looking as it did).
TEST_F(KeyButtonTest, KeyboardFocusShowsAFrameOverThePicture) {
    CSubClassButton* first = AddButton(res::IDC_KEY_SPOT);
    CSubClassButton* second = AddButton(res::IDC_KEY_RING);
    second->move(80, 20);
    const QImage normal = Picture(BitmapsOf(res::IDC_KEY_RING).normal, second->size());
    m_sink.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_sink));

    QTest::mouseClick(Window(), Qt::LeftButton, {}, Centre(second));
    ASSERT_TRUE(second->hasFocus());
    EXPECT_EQ(Shown(second), normal) << "focused by a click";

    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    ASSERT_TRUE(second->hasFocus()) << "Tab reaches the next key";
    const QImage focused = Shown(second);
    EXPECT_NE(focused, normal);
    EXPECT_EQ(focused.pixel(0, 0), normal.pixel(0, 0)) << "the frame sits inside the edge";

    QTest::keyClick(second, Qt::Key_Tab);
    EXPECT_FALSE(second->hasFocus());
    EXPECT_EQ(Shown(second), normal) << "the frame goes with the focus";
}

}  // namespace

namespace {

// A sink whose press opens a modal box (as a refused send does); the mouse comes up while the
// box is open, so the window behind never sees that release.
class BoxOnPressSink : public QWidget, public VirtualKeySink {
public:
    void SendVirtualKey(int, bool release) override {
        calls.push_back(release ? "release" : "press");
        if (!release) {
            QMessageBox box(QMessageBox::NoIcon, "Tolvik", "Virtual remote send error", QMessageBox::Ok,
                            this);
            QTimer::singleShot(0, &box, [this, &box] {
                QTest::mouseRelease(windowHandle(), Qt::LeftButton, {}, QPoint(40, 30));
                box.done(QMessageBox::Ok);
            });
            box.exec();
        }
    }
    std::vector<std::string> calls;
};

TEST(KeyButtonModal, ReleaseDuringABoxIsStillReported) {
    BoxOnPressSink sink;
    sink.resize(200, 120);
    sink.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sink));
    auto* button = new CSubClassButton(&sink);
    button->setProperty("controlId", res::IDC_KEY_MEASURE);
    button->LoadBitmaps(153, 159, 153, 153);
    button->move(30, 20);
    button->SizeToContent();
    button->show();

    QTest::mousePress(sink.windowHandle(), Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"press", "release"}));
    EXPECT_FALSE(button->isDown());
}

}  // namespace
