// The adapter chooser as the user meets it: the remembered adapter preselected so Enter connects
// it, Refresh finding an adapter plugged in meanwhile, an empty list saying what to check, and
// Cancel ending the start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "app/CAdapterChooser.h"

using chooser::Adapter;
using chooser::AdapterKind;
using qtui::CAdapterChooser;

namespace {

class AdapterChooserTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        unsetenv("TOLVIK_CAN_ADAPTER");
    }
    void TearDown() override { unsetenv("TOLVIK_CAN_ADAPTER"); }
    CAdapterChooser::Lister Lister() {
        return [this] { return m_present; };
    }
    static QString Row(const CAdapterChooser& dialog, int row) { return dialog.m_list->item(row)->text(); }

    QTemporaryDir m_folder;
    QSettings m_settings{m_folder.filePath(QStringLiteral("Tolvik.conf")), QSettings::IniFormat};
    std::vector<Adapter> m_present = {chooser::SocketCanAdapter("can0", "up", 500000),
                                      chooser::SerialAdapter("/dev/ttyACM0", "CANable", "Openlight"),
                                      chooser::SerialAdapter("/dev/ttyUSB0", "USB-CAN", "")};
};

TEST_F(AdapterChooserTest, RememberedAdapterIsPreselectedAndEnterConnectsIt) {
    {
        CAdapterChooser first(Lister(), m_settings);
        EXPECT_EQ(first.m_list->currentRow(), 0);
        EXPECT_FALSE(first.m_remember->isChecked());
        EXPECT_FALSE(first.m_bitrate->isVisibleTo(&first)) << "a SocketCAN interface brings its own rate";
        EXPECT_EQ(first.m_interfaceRate->text(), "500 kbit/s, set by the interface");
        first.m_list->setCurrentRow(2);
        EXPECT_TRUE(first.m_bitrate->isEnabled());
        EXPECT_EQ(first.m_bitrate->currentData().toInt(), chooser::kDefaultSerialBitrate);
        first.m_bitrate->setCurrentIndex(first.m_bitrate->findData(100000));
        first.m_remember->setChecked(true);
        first.m_connect->click();
        EXPECT_EQ(first.result(), QDialog::Accepted);
    }
    CAdapterChooser next(Lister(), m_settings);
    EXPECT_EQ(next.m_list->currentRow(), 2);
    EXPECT_TRUE(next.m_remember->isChecked());
    EXPECT_EQ(next.m_bitrate->currentData().toInt(), 100000);
    next.show();
    QTest::keyClick(next.m_list, Qt::Key_Return);
    EXPECT_EQ(next.result(), QDialog::Accepted);
    ASSERT_TRUE(next.Chosen());
    EXPECT_EQ(chooser::AdapterText(*next.Chosen()), "slcan:/dev/ttyUSB0,bitrate=100000");

    // Unticked, the choice is forgotten; the list starts at its first row again.
    next.m_remember->setChecked(false);
    next.accept();
    EXPECT_EQ(CAdapterChooser(Lister(), m_settings).m_list->currentRow(), 0);
}

TEST_F(AdapterChooserTest, RefreshListsAgainAndKeepsThePick) {
    m_present.erase(m_present.begin());
    CAdapterChooser dialog(Lister(), m_settings);
    dialog.m_list->setCurrentRow(1);
    m_present.insert(m_present.begin(), chooser::SerialAdapter("/dev/ttyACM1", "New", ""));
    dialog.m_refresh->click();
    ASSERT_EQ(dialog.m_list->count(), 3);
    EXPECT_EQ(Row(dialog, 0), "/dev/ttyACM1 - New");
    EXPECT_EQ(dialog.m_list->currentRow(), 2) << "/dev/ttyUSB0 stays picked";
}

TEST_F(AdapterChooserTest, NothingPresentSaysWhatToCheckAndConnectsNothing) {
    m_present.clear();
    CAdapterChooser dialog(Lister(), m_settings);
    dialog.show();
    ASSERT_EQ(dialog.m_list->count(), 1);
    EXPECT_EQ(Row(dialog, 0), chooser::NothingPresentText());
    EXPECT_FALSE(dialog.m_list->item(0)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(dialog.m_connect->isEnabled());
    EXPECT_TRUE(dialog.m_refresh->isDefault()) << "Enter lists again";
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Chosen());

    m_present.push_back(chooser::SerialAdapter("/dev/ttyACM0", "", ""));
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(Row(dialog, 0), "/dev/ttyACM0 - serial port");
    EXPECT_TRUE(dialog.m_connect->isEnabled());
}

TEST_F(AdapterChooserTest, CancelEndsTheStartUpAndConnectHandsTheChoiceOn) {
    for (const bool cancel : {true, false}) {
        QTimer::singleShot(0, [cancel] {
            auto* dialog = qobject_cast<CAdapterChooser*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            EXPECT_EQ(dialog->windowTitle(), "Tolvik - CAN adapter");
            EXPECT_EQ(dialog->m_list->accessibleName(), "Adapters");
            EXPECT_EQ(dialog->m_bitrate->accessibleName(), "Bit rate");
            QTest::keyClick(dialog, cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
        EXPECT_EQ(CAdapterChooser::Run(Lister(), m_settings), !cancel);
        const char* named = std::getenv("TOLVIK_CAN_ADAPTER");
        EXPECT_EQ(named ? std::string(named) : std::string(), cancel ? "" : "socketcan:can0");
    }
}

}  // namespace
