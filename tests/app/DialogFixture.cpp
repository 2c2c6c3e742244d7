#include "tests/app/DialogFixture.h"

#include <QLabel>

#include "app/CHListBox.h"
#include "controls/CSysColStatic.h"
#include "res/Resource.h"

using qtui::CSysColStatic;

std::vector<std::string> DialogTest::Lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < m_dlg->m_statusList->GetCount(); ++i) {
        lines.push_back(m_dlg->m_statusList->GetText(i).toStdString());
    }
    return lines;
}

QImage DialogTest::Picture() const {
    return static_cast<CSysColStatic*>(m_dlg->GetDlgItem(res::IDC_REMOTE_PICTURE))->Picture().toImage();
}
