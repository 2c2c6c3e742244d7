// What a screen reader meets in both dialogs: every control named, no two alike, no control
// announced by another control's label, every picture described, every button reached by Tab.
#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <map>
#include <set>

#include "controls/CWaitDialog.h"
#include "res/Resource.h"
#include "tests/app/DialogFixture.h"

using qtui::CWaitDialog;

namespace {

struct Node {
    QAccessible::Role role;
    QString name;
    QString description;
    bool interactive;
};

// The dialog's accessible objects, depth first. A list's rows are the log's lines, not controls.
void Walk(QAccessibleInterface* node, std::vector<Node>* out) {
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child) {
            continue;
        }
        const QAccessible::Role role = child->role();
        const bool interactive = child->state().focusable || role == QAccessible::PushButton ||
                                 role == QAccessible::Button || role == QAccessible::ProgressBar ||
                                 role == QAccessible::Graphic;
        out->push_back(
            {role, child->text(QAccessible::Name), child->text(QAccessible::Description), interactive});
        if (role != QAccessible::List) {
            Walk(child, out);
        }
    }
}

// Every fault of the rules, one line each.
std::vector<std::string> Faults(QWidget* dialog) {
    std::vector<Node> nodes;
    Walk(QAccessible::queryAccessibleInterface(dialog), &nodes);
    std::vector<std::string> faults;
    std::map<QString, int> uses;
    std::set<QString> labels;
    for (const Node& node : nodes) {
        ++uses[node.name.toCaseFolded()];
        if (node.role == QAccessible::StaticText || node.role == QAccessible::Grouping) {
            labels.insert(node.name.toCaseFolded());
        }
    }
    for (const Node& node : nodes) {
        const std::string name = node.name.toStdString();
        if (node.interactive && node.name.trimmed().isEmpty()) {
            faults.push_back("unnamed control, role " + std::to_string(node.role));
            continue;
        }
        if (!node.name.isEmpty() && uses[node.name.toCaseFolded()] > 1) {
            faults.push_back("duplicate name '" + name + "'");
        }
        const bool isLabel = node.role == QAccessible::StaticText || node.role == QAccessible::Grouping;
        if (!isLabel && labels.count(node.name.toCaseFolded())) {
            faults.push_back("'" + name + "' is a label's text");
        }
        if (node.role == QAccessible::Graphic && node.description.isEmpty()) {
            faults.push_back("picture '" + name + "' has no description");
        }
    }
    return faults;
}

TEST_F(DialogTest, AccessibleNamesOfBothDialogsAreUniqueAndTheirOwn) {
    Start();
    m_dlg->show();
    EXPECT_EQ(Faults(m_dlg.get()), std::vector<std::string>{});

    CWaitDialog wait;
    wait.UpdateText("Insert batteries into the wireless remote.");
    EXPECT_EQ(Faults(&wait), std::vector<std::string>{});
    wait.Dismiss();
}

TEST_F(DialogTest, FaultsAreFound) {
    // The rules themselves: a duplicate, an unnamed button, a borrowed label, a bare picture.
    Start();
    m_dlg->show();
    m_dlg->GetDlgItem(res::IDC_KEY_ZOOM_MINUS)->setAccessibleName(QStringLiteral("Send focus -"));
    m_dlg->GetDlgItem(res::IDC_ASSOCIATE)->setAccessibleName(QStringLiteral(" "));
    m_dlg->GetDlgItem(res::IDC_FIRMWARE)->setAccessibleName(QStringLiteral("Compatibility"));
    m_dlg->GetDlgItem(res::IDC_STEP1)->setAccessibleDescription(QString());
    m_dlg->GetDlgItem(res::IDC_STEP1)->setToolTip(QString());
    const std::vector<std::string> faults = Faults(m_dlg.get());
    for (const char* expected :
         {"duplicate name 'Send focus -'", "unnamed control", "'Compatibility' is a label's text",
          "picture 'Step 1 picture' has no description"}) {
        EXPECT_THAT(faults, testing::Contains(testing::StartsWith(expected)));
    }
}

TEST_F(DialogTest, TabReachesEveryEnabledButton) {
    Start();
    m_dlg->show();
    m_dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    m_dlg->GetDlgItem(res::IDC_KEY_ALIGN_VIEW)->setFocus();
    std::set<QWidget*> reached;
    for (int i = 0; i < 40; ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QAbstractButton* button : m_dlg->findChildren<QAbstractButton*>()) {
        if (button->isEnabled()) {
            EXPECT_TRUE(reached.count(button)) << button->accessibleName().toStdString();
        }
    }
    EXPECT_TRUE(reached.count(m_dlg->GetDlgItem(res::IDC_ASSOCIATE))) << "the Associate button is enabled";
}

}  // namespace
