// End to end on the bench: the link coming up, remote events reaching the picture and the log,
// the virtual remote, and the association with the bench's wireless remote.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "app/CHListBox.h"
#include "art/Artwork.h"
#include "controls/CWaitDialog.h"
#include "controls/MainWindow.h"
#include "res/Resource.h"
#include "tests/app/DialogFixture.h"

using qtui::CWaitDialog;
using qtui::SetMainWindow;

namespace {

TEST_F(DialogTest, WirelessKeyShowsOnPictureAndLog) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.wirelessPaired = true;
    scenario.timeline = {{5000, bench::EventKind::KeyDown, true, 7},
                         {5500, bench::EventKind::KeyUp, true, 0}};
    Start(scenario);
    const std::vector<std::string> start = Lines();
    const auto found = std::find(start.begin(), start.end(), "1 bridge found");
    ASSERT_NE(found, start.end());
    ASSERT_NE(found + 1, start.end());
    EXPECT_EQ(found[1], "Connected to CAN");

    // Bench time runs from the connection; start-up itself paused for a while.
    ASSERT_LT(m_bench->SleptMs(), 5000u);
    bench::Advance(static_cast<int>(5000 - m_bench->SleptMs()));
    SettleBench();
    EXPECT_EQ(Picture(), res::LoadBitmap(res::IDB_REMOTE_ZOOM_PLUS).toImage());
    EXPECT_EQ(Lines().back(), "Key (Zoom +) down");

    bench::Advance(500);
    SettleBench();
    EXPECT_EQ(Picture(), res::LoadBitmap(res::IDB_REMOTE_IDLE).toImage());
    EXPECT_EQ(Lines().back(), "Key up");
}

TEST_F(DialogTest, VirtualMeasureClickGoesOnTheBus) {
    Start();
    m_dlg->show();
    QTest::mouseClick(m_dlg->GetDlgItem(res::IDC_KEY_MEASURE), Qt::LeftButton);
    const std::vector<CAN_PDO> sent = bench::Transmitted();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].cobId, 0x1C8u);
    EXPECT_EQ(sent[0].data[0], 2);
    EXPECT_EQ(sent[1].data[0], 0);
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(lines[lines.size() - 2], "Send Measure");
    EXPECT_EQ(lines.back(), "Send key up");
}

TEST_F(DialogTest, AssociationPairsTheBenchRemote) {
    Start();
    m_dlg->show();
    SetMainWindow(m_dlg.get());
    ASSERT_TRUE(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->isEnabled());
    const unsigned before = m_bench->SleptMs();
    bool sawWaitDialog = false;
    QTimer::singleShot(0, [&] {
        sawWaitDialog = !m_dlg->isEnabled() && !m_dlg->findChildren<CWaitDialog*>().isEmpty();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            sawWaitDialog |= qobject_cast<CWaitDialog*>(top) && top->isVisible();
        }
    });
    static_cast<QPushButton*>(m_dlg->GetDlgItem(res::IDC_ASSOCIATE))->click();
    SettleBench();

    EXPECT_TRUE(sawWaitDialog);
    EXPECT_TRUE(m_dlg->isEnabled());
    EXPECT_TRUE(bench::WirelessPaired());
    EXPECT_EQ(static_cast<QLineEdit*>(m_dlg->GetDlgItem(res::IDC_BATTERY))->text(), " OK ");
    EXPECT_EQ(m_dlg->OnCtlColor(res::IDC_BATTERY), QColor(0, 255, 0));
    EXPECT_GT(static_cast<QProgressBar*>(m_dlg->GetDlgItem(res::IDC_SIGNAL_BAR))->value(), 0);
    // The pairing comes a few seconds into the window and the dialog closes about 2 s later.
    const unsigned elapsed = m_bench->SleptMs() - before;
    EXPECT_LT(elapsed, 20000u);
    EXPECT_NEAR(static_cast<double>(elapsed), bench::DefaultScenario().pairDelayMs + 2000.0, 600.0);
    EXPECT_FALSE(bench::AssociationWindowOpen());
    SetMainWindow(nullptr);
}

// The window manager's close box works on the disabled main window. During the association it
// ends the association as Cancel does (the closing value goes out), the wait dialog goes with it,
// then the dialog closes with exactly one disconnect.
TEST_F(DialogTest, CloseDuringAssociationClosesTheWindowFirst) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.insertBatteriesWhenWindowOpens = false;
    Start(scenario);
    m_dlg->show();
    SetMainWindow(m_dlg.get());
    const int disconnects = bench::DisconnectCalls();
    bool closeArrivedDisabled = false;
    QTimer::singleShot(0, [&] {
        closeArrivedDisabled = !m_dlg->isEnabled();
        m_dlg->close();
        EXPECT_EQ(bench::DisconnectCalls(), disconnects) << "no disconnect while the association runs";
    });
    static_cast<QPushButton*>(m_dlg->GetDlgItem(res::IDC_ASSOCIATE))->click();

    EXPECT_TRUE(closeArrivedDisabled);
    const std::vector<bench::SdoAccess> log = bench::SdoLog();
    ASSERT_GE(log.size(), 2u);
    const bench::SdoAccess& closing = log.back();
    EXPECT_TRUE(closing.write);
    EXPECT_EQ(closing.index, 0x2010);
    EXPECT_EQ(closing.subIndex, 5);
    EXPECT_EQ(closing.result, 1) << "written while the link was still up";
    EXPECT_FALSE(bench::AssociationWindowOpen());
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<CWaitDialog*>(top) && top->isVisible())
            << "a wait dialog without its owner";
    }
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(bench::DisconnectCalls(), disconnects + 1);
    m_dlg.reset();
    EXPECT_EQ(bench::DisconnectCalls(), disconnects + 1);
    SetMainWindow(nullptr);
}

}  // namespace
