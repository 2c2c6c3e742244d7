// Getting the status log out: the saved file holds every line the window shows, in order, after
// its header; a failed save is a message box and leaves the earlier file and the log alone; Copy,
// Ctrl+C and Copy all put the right text on the clipboard.
#include <sys/resource.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <optional>
#include <vector>

#include "app/CHListBox.h"
#include "app/StatusLogMenu.h"
#include "tests/app/DialogFixture.h"

using qtui::CHListBox;
using qtui::StatusLogMenu;

namespace {

class StatusLogMenuTest : public DialogTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Start();
        m_menu = m_dlg->m_statusList->findChild<StatusLogMenu*>();
        ASSERT_NE(m_menu, nullptr);
    }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList Shown() const {
        QStringList lines;
        for (int i = 0; i < m_dlg->m_statusList->GetCount(); ++i) {
            lines.append(m_dlg->m_statusList->GetText(i));
        }
        return lines;
    }
    QAction* Action(const char* text) const {
        for (QAction* action : m_dlg->m_statusList->actions()) {
            if (action->text().remove(QLatin1Char('&')) == QLatin1String(text)) {
                return action;
            }
        }
        ADD_FAILURE() << "no menu entry " << text;
        return nullptr;
    }

    QTemporaryDir m_dir;
    StatusLogMenu* m_menu = nullptr;
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(StatusLogMenuTest, SavedLogHoldsEveryShownLineInOrderAfterItsHeader) {
    for (int i = 0; i < 10000; ++i) {
        m_dlg->AddStatusLine(QStringLiteral("Line %1 \u00b5s \u2013 key").arg(i).toLocal8Bit().constData());
    }
    SettleBench();
    const QStringList shown = Shown();
    ASSERT_GE(shown.size(), 10000);

    ASSERT_TRUE(m_menu->SaveTo(Path("log.txt")));
    EXPECT_TRUE(m_boxes.texts.empty());
    const QByteArray bytes = ReadAll(Path("log.txt"));
    ASSERT_TRUE(bytes.endsWith('\n'));
    QStringList saved = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    saved.removeLast();  // after the last line's newline
    const qsizetype blank = saved.indexOf(QString());
    ASSERT_GT(blank, 0) << "a blank line ends the header";
    const QString header = saved.mid(0, blank).join(QLatin1Char('\n'));
    for (const char* part :
         {"Tolvik status log", "Saved: ", "Tolvik version: 1.5.0.0", "Host name: ", "Bridge library: "}) {
        EXPECT_TRUE(header.contains(QString::fromLatin1(part))) << part << "\n" << header.toStdString();
    }
    EXPECT_EQ(saved.mid(blank + 1), shown);
    EXPECT_EQ(Shown(), shown) << "saving leaves the log as it was";
}

// Writes beyond `bytes` fail as on a full disk, until destroyed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, SIG_DFL);
    }

private:
    rlimit m_previous{};
};

TEST_F(StatusLogMenuTest, FailedSaveIsAMessageBoxAndKeepsTheEarlierFile) {
    for (int i = 0; i < 5000; ++i) {
        m_dlg->AddStatusLine("A line long enough that five thousand of them fill the allowance");
    }
    const QStringList shown = Shown();
    QFile earlier(Path("log.txt"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("the earlier log\n");
    earlier.close();

    struct Case {
        const char* what;
        QString path;
        bool diskFull;
    };
    std::vector<Case> cases = {
        {"missing folder", Path("no-such-folder/log.txt"), false},
        {"full disk", Path("log.txt"), true},
    };
    if (geteuid() != 0) {  // root writes into any folder
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
        QFile::setPermissions(Path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        cases.push_back({"folder not writable", Path("locked/log.txt"), false});
    }
    for (const Case& test : cases) {
        m_boxes.texts.clear();
        {
            std::optional<FileSizeLimit> limit;
            if (test.diskFull) {
                limit.emplace(64 * 1024);
            }
            EXPECT_FALSE(m_menu->SaveTo(test.path)) << test.what;
        }
        ASSERT_EQ(m_boxes.texts.size(), 1u) << test.what;
        EXPECT_THAT(m_boxes.texts[0], testing::HasSubstr("could not be saved")) << test.what;
        EXPECT_EQ(m_boxes.icons[0], QMessageBox::Critical);
        EXPECT_EQ(ReadAll(Path("log.txt")), "the earlier log\n") << test.what;
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"log.txt"})
            << test.what << ": no half-written file is left behind";
        EXPECT_EQ(Shown(), shown);
    }
}

TEST_F(StatusLogMenuTest, CopyTakesTheSelectedLineAndCopyAllTheWholeLog) {
    CHListBox& log = *m_dlg->m_statusList;
    log.AddString("first");
    log.AddString("second");
    QClipboard& clipboard = *QGuiApplication::clipboard();

    log.SetCurSel(log.GetCount() - 2);
    clipboard.setText(QStringLiteral("untouched"));
    Action("Copy")->trigger();
    EXPECT_EQ(clipboard.text(), "first");

    log.SetCurSel(log.GetCount() - 1);
    clipboard.setText(QStringLiteral("untouched"));
    m_dlg->show();
    log.setFocus();
    QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard.text(), "second") << "Ctrl+C";

    Action("Copy all")->trigger();
    EXPECT_EQ(clipboard.text(), Shown().join(QLatin1Char('\n')) + QLatin1Char('\n'));

    log.SetCurSel(-1);
    clipboard.setText(QStringLiteral("untouched"));
    Action("Copy")->trigger();
    EXPECT_EQ(clipboard.text(), "untouched") << "nothing selected, nothing copied";
    EXPECT_NE(Action("Save log as..."), nullptr);
}

}  // namespace
