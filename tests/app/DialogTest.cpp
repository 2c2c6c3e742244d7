// The main dialog on the default bench: its controls, keys, closing, colours and repaint.
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <map>

#include "app/CHListBox.h"
#include "art/Artwork.h"
#include "art/DialogUnits.h"
#include "controls/CSysColStatic.h"
#include "res/Resource.h"
#include "tests/app/DialogFixture.h"

using qtui::CSysColStatic;

namespace {

TEST_F(DialogTest, WindowHasCaptionIconAndNoMinimiseOrMaximise) {
    Start();
    EXPECT_EQ(m_dlg->windowTitle(), "Tolvik");
    EXPECT_FALSE(m_dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(m_dlg->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(m_dlg->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(m_dlg->windowIcon().isNull());
}

TEST_F(DialogTest, EveryTooltipAndAccessibleName) {
    Start();
    const std::map<int, const char*> tips = {
        {1017, "Buttons will highlight when keys are pressed on wired/wireless remotes."},
        {1016, "Enables wireless remote association with base remote (20s timeout)."},
        {1013, "Base (wired) remote is connected to instrument."},
        {1014, "Wireless remote is placed on base remote, batteries removed. Press Associate."},
        {1015, "Within 20s, insert batteries into the wireless remote (note polarity)."},
        {1006, "Monitor signal strength (dBm) between base and wireless remotes."},
        {1003, "Send Align/View to Vistrel"},
        {1005, "Send Measure to Vistrel"},
        {1004, "Send focus -"},
        {1007, "Send focus +"},
        {1008, "Send zoom -"},
        {1009, "Send zoom +"},
        {1010, "Send spot"},
        {1011, "Send ring"},
        {1020, "Status of wireless remote battery"},
        {1002, "Communications, keypresses, events"},
    };
    for (const auto& [id, tip] : tips) {
        ASSERT_NE(m_dlg->GetDlgItem(id), nullptr) << id;
        EXPECT_EQ(m_dlg->GetDlgItem(id)->toolTip(), tip) << id;
    }
    EXPECT_TRUE(m_dlg->GetDlgItem(res::IDC_FIRMWARE)->toolTip().isEmpty());
    for (QWidget* child : m_dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->property("controlId").isValid() || qobject_cast<QGroupBox*>(child)) {
            EXPECT_FALSE(child->accessibleName().isEmpty()) << child->property("controlId").toInt();
        }
    }
    EXPECT_EQ(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->accessibleName(), "Associate");
}

TEST_F(DialogTest, ControlsSitWhereTheTemplatePutsThem) {
    Start();
    const res::DialogTemplate& dialog = *res::GetDialogTemplate(res::IDD_TOLVIK);
    const QSize base = res::DialogBaseUnits(m_dlg->font());
    EXPECT_EQ(m_dlg->size(), res::MapDialogRect(QRect(0, 0, dialog.width, dialog.height), base).size());
    int checked = 0;
    for (const res::DialogControl& control : dialog.controls) {
        QWidget* item = m_dlg->GetDlgItem(control.id);
        if (!item) {
            continue;
        }
        const QRect expected =
            res::MapDialogRect(QRect(control.x, control.y, control.width, control.height), base);
        EXPECT_EQ(item->pos(), expected.topLeft()) << control.id;
        if (control.kind != res::ControlKind::Picture && control.kind != res::ControlKind::KeyButton) {
            EXPECT_EQ(item->size(), expected.size()) << control.id;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 17);
    // Pictures and key buttons take their bitmap's size.
    EXPECT_EQ(m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE)->size(), QSize(117, 198));
    EXPECT_EQ(m_dlg->GetDlgItem(res::IDC_KEY_MEASURE)->size(), QSize(43, 32));
    EXPECT_EQ(m_dlg->GetDlgItem(res::IDC_KEY_FOCUS_MINUS)->size(), QSize(25, 22));
}

TEST_F(DialogTest, StartUpStateOnTheDefaultBench) {
    Start();
    EXPECT_EQ(m_dlg->m_controller.Link().m_linkFailed, 0);
    EXPECT_EQ(static_cast<QLineEdit*>(m_dlg->GetDlgItem(res::IDC_BATTERY))->text(), " ?? ");
    EXPECT_EQ(static_cast<QLineEdit*>(m_dlg->GetDlgItem(res::IDC_FIRMWARE))->text(), "V4.0, compatible");
    EXPECT_TRUE(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->isEnabled());
    auto* bar = static_cast<QProgressBar*>(m_dlg->GetDlgItem(res::IDC_SIGNAL_BAR));
    EXPECT_EQ(bar->orientation(), Qt::Vertical);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 255);
    EXPECT_EQ(static_cast<CSysColStatic*>(m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE))->m_nBitmapID,
              res::IDB_REMOTE_IDLE);
}

TEST_F(DialogTest, EnterAndEscapeDoNothing) {
    Start();
    m_dlg->show();
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    QTest::keyClick(m_dlg.get(), Qt::Key_Return);
    QTest::keyClick(m_dlg.get(), Qt::Key_Enter);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(bench::DisconnectCalls(), 0);
}

TEST_F(DialogTest, CloseDisconnectsExactlyOnce) {
    Start();
    m_dlg->show();
    EXPECT_TRUE(m_dlg->close());
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(bench::DisconnectCalls(), 1);
    m_dlg->close();
    m_dlg.reset();
    EXPECT_EQ(bench::DisconnectCalls(), 1);
}

TEST_F(DialogTest, FailedLinkStillOpensAndCloseStillDisconnects) {
    bench::Scenario scenario = bench::DefaultScenario();
    scenario.bridges.clear();
    Start(scenario);
    ASSERT_EQ(m_boxes.texts, std::vector<std::string>{"No bridges found on the local network"});
    EXPECT_EQ(m_dlg->m_controller.Link().m_linkFailed, 1);
    EXPECT_EQ(Lines().back(), "Bridge connect failed");
    EXPECT_FALSE(m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->isEnabled());
    EXPECT_EQ(static_cast<QLineEdit*>(m_dlg->GetDlgItem(res::IDC_BATTERY))->text(), " ?? ");
    m_dlg->show();
    m_dlg->close();
    EXPECT_EQ(bench::DisconnectCalls(), 1);
}

TEST_F(DialogTest, BatteryFieldColourFollowsTheState) {
    Start();
    QWidget* field = m_dlg->GetDlgItem(res::IDC_BATTERY);
    m_dlg->show();
    const struct {
        int state;
        QColor colour;
    } rows[] = {{-1, QColor(241, 217, 78)}, {0, QColor(0, 255, 0)}, {1, QColor(255, 0, 0)}};
    for (const auto& row : rows) {
        m_dlg->m_controller.Link().g_batteryState = row.state;
        EXPECT_EQ(m_dlg->OnCtlColor(res::IDC_BATTERY), row.colour);
        const QImage image = field->grab().toImage();
        // The colour stands as a block behind the text, inside a white field.
        EXPECT_EQ(image.pixelColor(image.width() / 2, 2), QColor(Qt::white)) << row.state;
        int coloured = 0;
        for (int x = 0; x < image.width(); ++x) {
            coloured += image.pixelColor(x, image.height() / 2) == row.colour;
        }
        EXPECT_GT(coloured, 3) << row.state;
    }
    EXPECT_EQ(m_dlg->OnCtlColor(res::IDC_STATUS_LOG), QColor(Qt::white));
}

TEST_F(DialogTest, RepaintRestoresTheIdlePictureButAPictureChangeDoesNot) {
    Start();
    m_dlg->show();
    QCoreApplication::processEvents();
    const QImage idle = res::LoadBitmap(res::IDB_REMOTE_IDLE).toImage();
    const QImage zoom = res::LoadBitmap(res::IDB_REMOTE_ZOOM_PLUS).toImage();

    m_dlg->SetItemPicture(res::IDC_REMOTE_PICTURE, res::IDB_REMOTE_ZOOM_PLUS);
    m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE)->repaint();  // the picture repaints itself
    m_dlg->SetBarPosition(res::IDC_SIGNAL_BAR, 200);
    m_dlg->GetDlgItem(res::IDC_SIGNAL_BAR)->repaint();
    m_dlg->AddStatusLine("a line");
    QCoreApplication::processEvents();
    EXPECT_EQ(Picture(), zoom);

    m_dlg->repaint();  // as when the dialog is uncovered
    EXPECT_EQ(Picture(), idle);
}

}  // namespace
