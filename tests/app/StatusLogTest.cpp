// The status log: the horizontal extent follows the widest line and never shrinks; the newest
// line is selected; lines from another thread keep their order.
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <chrono>
#include <thread>

#include "app/CHListBox.h"
#include "port/UpdateQueue.h"
#include "tests/app/DialogFixture.h"

using port::UpdateQueue;
using qtui::CHListBox;

using port::UpdateQueue;

namespace {

int Width(const CHListBox& list, const char* text) {
    return QFontMetrics(list.font()).horizontalAdvance(QString::fromLatin1(text));
}

TEST(StatusLog, ExtentTracksTheWidestLineWithThreeBorderMargin) {
    CHListBox list;
    EXPECT_EQ(list.m_nMaxExtent, 0);
    list.AddString("");
    EXPECT_EQ(list.m_nMaxExtent, 3) << "an empty first line gives three border widths";

    list.AddString("A rather long first line");
    const int wide = Width(list, "A rather long first line") + 3;
    EXPECT_EQ(list.m_nMaxExtent, wide);
    list.AddString("short");
    EXPECT_EQ(list.m_nMaxExtent, wide) << "a shorter line leaves the extent alone";
    list.AddString("A rather long first line");
    EXPECT_EQ(list.m_nMaxExtent, wide);
    EXPECT_EQ(list.GetCount(), 4) << "identical lines are all kept";
}

// A full log refuses the line as a full list box does: no line, no extent change, no message;
// the newest line stays selected.
TEST_F(DialogTest, FullLogRefusesTheLineAndKeepsTheLastSelected) {
    Start();
    CHListBox* list = m_dlg->m_statusList;
    QStringList filler;
    for (int i = list->GetCount(); i < CHListBox::kMaxLines - 1; ++i) {
        filler << QStringLiteral("x");
    }
    list->AddStrings(filler);
    m_dlg->AddStatusLine("last");
    const int extent = list->m_nMaxExtent;
    EXPECT_EQ(list->GetCount(), CHListBox::kMaxLines);

    EXPECT_EQ(list->AddString("a line far wider than every line the log has held so far"),
              CHListBox::kErrSpace);
    m_dlg->AddStatusLine("another line far wider than every line the log has held so far");
    std::thread([this] {
        m_dlg->AddStatusLine("from the library's thread, also wider than the rest");
    }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(list->GetCount(), CHListBox::kMaxLines);
    EXPECT_EQ(list->m_nMaxExtent, extent);
    EXPECT_EQ(list->GetText(list->GetCount() - 1), "last");
    EXPECT_EQ(list->GetCurSel(), list->GetCount() - 1);
    EXPECT_TRUE(m_boxes.texts.empty());
}

TEST(StatusLog, WideLineScrollsHorizontally) {
    CHListBox list;
    list.resize(140, 160);
    list.show();
    list.AddString("Key (Next/Finish) down, a line far wider than the list box itself");
    QCoreApplication::processEvents();
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
}

// The view places rows by arithmetic: a click, the keys and the scroll range must agree with
// where the rows are painted, also when scrolled.
TEST(StatusLog, ClicksAndKeysReachTheRowsWhereTheyAreShown) {
    CHListBox list;
    list.resize(200, 120);
    list.show();
    for (int i = 0; i < 99; ++i) {
        list.AddString(("line " + std::to_string(i)).c_str());
        list.SetCurSel(i);
    }
    QCoreApplication::processEvents();
    // The first wide line brings the horizontal scroll bar, which takes height from the rows.
    list.AddString("line 99, far wider than the list box and so the first to need a horizontal scroll bar");
    list.SetCurSel(99);
    QCoreApplication::processEvents();
    auto rect = [&list](int row) { return list.visualRect(list.model()->index(row, 0)); };
    EXPECT_TRUE(list.horizontalScrollBar()->isVisible());
    EXPECT_GE(rect(99).top(), 0);
    EXPECT_LT(rect(99).bottom(), list.viewport()->height()) << "the newest line is wholly in view";
    EXPECT_FALSE(list.viewport()->rect().intersects(rect(0)));
    EXPECT_EQ(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect(95).center());
    EXPECT_EQ(list.GetCurSel(), 95);
    EXPECT_EQ(list.indexAt(rect(97).center()).row(), 97);
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.GetCurSel(), 94);
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(list.GetCurSel(), 0);
    EXPECT_EQ(rect(0).top(), 0) << "the first line is scrolled back into view";
    QTest::keyClick(&list, Qt::Key_PageDown);
    EXPECT_GT(list.GetCurSel(), 0);
    EXPECT_GE(rect(list.GetCurSel()).top(), 0);
    EXPECT_LT(rect(list.GetCurSel()).bottom(), list.viewport()->height());
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.GetCurSel(), 99);
    EXPECT_FALSE(list.indexAt(QPoint(5, rect(99).bottom() + 1)).isValid())
        << "below the last line is no line";
}

TEST_F(DialogTest, NewestLineIsSelectedAndInView) {
    Start();
    m_dlg->show();
    for (int i = 0; i < 200; ++i) {
        m_dlg->AddStatusLine(("line " + std::to_string(i)).c_str());
    }
    QCoreApplication::processEvents();
    CHListBox* list = m_dlg->m_statusList;
    EXPECT_EQ(list->GetCurSel(), list->GetCount() - 1);
    EXPECT_EQ(list->GetText(list->GetCount() - 1), "line 199");
    const QRect last = list->visualRect(list->model()->index(list->GetCount() - 1, 0));
    EXPECT_TRUE(list->viewport()->rect().intersects(last));
}

TEST_F(DialogTest, LinesFromAnotherThreadKeepTheirOrder) {
    Start();
    const int before = m_dlg->m_statusList->GetCount();
    constexpr int kLines = 5000;
    std::thread writer([this] {
        for (int i = 0; i < kLines; ++i) {
            m_dlg->AddStatusLine(std::to_string(i).c_str());
        }
    });
    // The GUI thread keeps writing too; its lines may interleave but each side keeps order.
    for (int i = 0; i < 50; ++i) {
        m_dlg->AddStatusLine("gui");
        QCoreApplication::processEvents();
    }
    writer.join();
    QCoreApplication::processEvents();
    int expected = 0;
    for (int i = before; i < m_dlg->m_statusList->GetCount(); ++i) {
        const QString text = m_dlg->m_statusList->GetText(i);
        if (text != "gui") {
            ASSERT_EQ(text.toInt(), expected++);
        }
    }
    EXPECT_EQ(expected, kLines);
}

// More key records than the hand-over takes while the GUI thread is busy: the callback leaves the
// rest with the library, none is dropped, and once the GUI thread turns again every line shows,
// in order, without another record arriving to wake the library.
TEST_F(DialogTest, FloodBeyondTheHandOverWaitsWithTheLibraryThenShowsInFull) {
    Start();
    const int before = m_dlg->m_statusList->GetCount();
    constexpr int kRecords = static_cast<int>(UpdateQueue::kRoomLines) + 3000;  // within the library's 5000
    auto inject = [](int first, int end) {
        for (int i = first; i < end; ++i) {
            CAN_PDO pdo{};
            pdo.cobId = 0x1C8;
            pdo.length = 1;
            pdo.data[0] = static_cast<uint8_t>(i % 2 ? 0 : 2);
            bench::InjectPdo(pdo);
        }
    };
    auto settle = [] {
        for (uint64_t seen = UINT64_MAX; seen != bench::DeliveredCount();) {
            seen = bench::DeliveredCount();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    };
    // In two bursts, so that the library's own buffer never overflows.
    inject(0, 4000);
    settle();
    inject(4000, kRecords);
    settle();
    EXPECT_LE(bench::DeliveredCount(), UpdateQueue::kRoomLines + 1) << "the callback went on past the bound";
    QElapsedTimer timer;
    timer.start();
    while (m_dlg->m_statusList->GetCount() < before + kRecords && timer.elapsed() < 10000) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(m_dlg->m_statusList->GetCount(), before + kRecords);
    EXPECT_EQ(bench::DroppedCount(), 0u);
    EXPECT_EQ(m_dlg->m_statusList->GetText(before + kRecords - 1), "Key up");
    EXPECT_EQ(m_dlg->m_statusList->GetText(before + kRecords - 2), "Key (Measure) down");
}

}  // namespace
