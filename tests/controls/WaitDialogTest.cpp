#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "art/DialogUnits.h"
#include "controls/CWaitDialog.h"
#include "controls/MainWindow.h"
#include "res/Resource.h"

using qtui::CWaitDialog;
using qtui::MainWindow;
using qtui::SetMainWindow;

namespace {

template <typename T>
T* Control(QWidget& dialog, int controlId) {
    for (T* child : dialog.findChildren<T*>()) {
        if (child->property("controlId").toInt() == controlId) {
            return child;
        }
    }
    return nullptr;
}

// Counts the quit requests that reach the application.
class QuitCounter : public QObject {
public:
    QuitCounter() { QCoreApplication::instance()->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
            ++count;
        }
        return false;
    }
};

class WaitDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_main.resize(300, 200);
        m_main.show();
        SetMainWindow(&m_main);
    }
    void TearDown() override { SetMainWindow(nullptr); }

    // Runs `body` inside the application's own loop, which must end within five seconds; returns its
    // exit code.
    int RunInApplicationLoop(std::function<void()> body) {
        QTimer start;
        start.setSingleShot(true);
        QObject::connect(&start, &QTimer::timeout, body);
        start.start(0);
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        safety.start(5000);
        return QCoreApplication::exec();
    }

    QWidget m_main;
};

TEST_F(WaitDialogTest, OpensFromItsTemplateAndDisablesTheMainWindow) {
    CWaitDialog dialog;
    EXPECT_TRUE(dialog.m_bOpen);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_FALSE(m_main.isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "Association in process...");
    const QSize units = res::DialogBaseUnits(dialog.font());
    EXPECT_EQ(dialog.size(), res::MapDialogRect(QRect(0, 0, 186, 96), units).size());

    QProgressBar* bar = Control<QProgressBar>(dialog, res::IDC_WAIT_PROGRESS);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->geometry(), res::MapDialogRect(QRect(8, 48, 168, 16), units));
    QLabel* text = Control<QLabel>(dialog, res::IDC_WAIT_TEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->alignment() & Qt::AlignHCenter);
    QPushButton* cancel = Control<QPushButton>(dialog, res::IDCANCEL);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "&Cancel");
}

TEST_F(WaitDialogTest, ProgressIsClampedBelowAndDismissesAbove) {
    const struct {
        int position;
        int shown;
        bool open;
    } cases[] = {{-5, 0, true}, {0, 0, true}, {42, 42, true}, {100, 100, true}, {101, 0, false}};
    for (const auto& step : cases) {
        CWaitDialog dialog;
        QProgressBar* bar = Control<QProgressBar>(dialog, res::IDC_WAIT_PROGRESS);
        dialog.UpdateProgress(step.position);
        EXPECT_EQ(dialog.IsOpen(), step.open) << step.position;
        EXPECT_EQ(dialog.isVisible(), step.open) << step.position;
        EXPECT_EQ(m_main.isEnabled(), !step.open) << step.position;
        EXPECT_EQ(bar->value(), step.shown) << step.position;
    }
}

TEST_F(WaitDialogTest, CancelEscEnterAndCloseBoxAllDismiss) {
    const std::function<void(CWaitDialog&)> dismissals[] = {
        [](CWaitDialog& d) { QTest::mouseClick(Control<QPushButton>(d, res::IDCANCEL), Qt::LeftButton); },
        [](CWaitDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](CWaitDialog& d) { QTest::keyClick(&d, Qt::Key_Return); },
        [](CWaitDialog& d) { QTest::keyClick(&d, Qt::Key_Enter); },
        [](CWaitDialog& d) { QTest::keyClick(Control<QPushButton>(d, res::IDCANCEL), Qt::Key_Return); },
        [](CWaitDialog& d) { d.close(); },
    };
    int index = 0;
    for (const auto& dismiss : dismissals) {
        CWaitDialog dialog;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dismiss(dialog);
        EXPECT_FALSE(dialog.m_bOpen) << "dismissal " << index;
        EXPECT_FALSE(dialog.isVisible()) << "dismissal " << index;
        EXPECT_TRUE(m_main.isEnabled()) << "dismissal " << index;
        ++index;
    }
}

TEST_F(WaitDialogTest, OwnerSeesACancelAfterItsNextStep) {
    CWaitDialog dialog;
    QPushButton* cancel = Control<QPushButton>(dialog, res::IDCANCEL);
    QMetaObject::invokeMethod(
        cancel, [cancel] { QTest::mouseClick(cancel, Qt::LeftButton); }, Qt::QueuedConnection);
    EXPECT_TRUE(dialog.m_bOpen);
    EXPECT_TRUE(dialog.ProcessMessages());
    EXPECT_FALSE(dialog.m_bOpen);
    EXPECT_TRUE(m_main.isEnabled());
}

TEST_F(WaitDialogTest, ADismissedDialogIgnoresUpdates) {
    CWaitDialog dialog;
    dialog.UpdateText("Waiting");
    dialog.UpdateProgress(30);
    dialog.Dismiss();
    dialog.UpdateText("Later");
    dialog.UpdateProgress(60);
    EXPECT_EQ(Control<QLabel>(dialog, res::IDC_WAIT_TEXT)->text(), "Waiting");
    EXPECT_EQ(Control<QProgressBar>(dialog, res::IDC_WAIT_PROGRESS)->value(), 30);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(WaitDialogTest, DestructionDismissesOnlyAnOpenDialog) {
    auto open = std::make_unique<CWaitDialog>();
    open.reset();
    EXPECT_TRUE(m_main.isEnabled());

    auto dismissed = std::make_unique<CWaitDialog>();
    dismissed->Dismiss();
    m_main.setEnabled(false);  // by someone else since
    dismissed.reset();
    EXPECT_FALSE(m_main.isEnabled());
}

TEST_F(WaitDialogTest, WorksWithoutAMainWindowAndOutlivesIt) {
    auto main = std::make_unique<QWidget>();
    SetMainWindow(main.get());
    CWaitDialog dialog;
    EXPECT_FALSE(main->isEnabled());
    main.reset();
    EXPECT_EQ(MainWindow(), nullptr);
    dialog.Dismiss();
    EXPECT_FALSE(dialog.m_bOpen);

    CWaitDialog orphan;
    EXPECT_TRUE(orphan.isVisible());
    orphan.UpdateProgress(101);
    EXPECT_FALSE(orphan.isVisible());
}

TEST_F(WaitDialogTest, ProcessMessagesHandlesWhatWaitsAndReturnsWhileMoreArrives) {
    CWaitDialog dialog;
    QMetaObject::invokeMethod(
        &dialog, [&] { dialog.UpdateText("Step"); }, Qt::QueuedConnection);
    int runs = 0;
    // Each run posts the next: a step must not chase them for ever.
    std::function<void()> again = [&] {
        ++runs;
        QMetaObject::invokeMethod(&dialog, again, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&dialog, again, Qt::QueuedConnection);
    EXPECT_TRUE(dialog.ProcessMessages());
    EXPECT_TRUE(dialog.ProcessMessages());
    EXPECT_EQ(Control<QLabel>(dialog, res::IDC_WAIT_TEXT)->text(), "Step");
    EXPECT_GE(runs, 1);
    EXPECT_LE(runs, 4);
    EXPECT_TRUE(dialog.m_bOpen);
    QCoreApplication::removePostedEvents(&dialog);
}

// A quit() made while the step handles events, and a quit request posted (as another thread's quit()
// does) before the step: both reach the application as QEvent::Quit.
TEST_F(WaitDialogTest, QuitDuringProcessMessagesIsLeftForTheApplicationLoop) {
    const std::function<void(QObject*)> requests[] = {
        [](QObject* dialog) {
            QMetaObject::invokeMethod(
                dialog, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
        },
        [](QObject*) { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); },
    };
    for (const auto& request : requests) {
        std::optional<bool> result;
        bool openAfter = false;
        QuitCounter counter;
        int quitsSeenDuringStep = -1;
        const int code = RunInApplicationLoop([&] {
            CWaitDialog dialog;
            request(&dialog);
            result = dialog.ProcessMessages();
            quitsSeenDuringStep = counter.count;
            openAfter = dialog.m_bOpen;
        });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(result, std::optional<bool>(false));
        EXPECT_TRUE(openAfter);
        // The step held its request back; the loop then saw exactly one.
        EXPECT_EQ(quitsSeenDuringStep, 0);
        EXPECT_EQ(counter.count, 1);
    }
}

TEST_F(WaitDialogTest, ExitDuringProcessMessagesStillEndsTheApplicationLoop) {
    bool stepped = false;
    const int code = RunInApplicationLoop([&] {
        CWaitDialog dialog;
        QMetaObject::invokeMethod(
            &dialog, [] { QCoreApplication::exit(3); }, Qt::QueuedConnection);
        dialog.ProcessMessages();
        stepped = true;
    });
    EXPECT_TRUE(stepped);
    EXPECT_EQ(code, 3);
}

}  // namespace
