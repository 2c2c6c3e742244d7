#include "app/StatusLogMenu.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CHListBox.h"
#include "statuslog/LogFile.h"

namespace qtui {

namespace {

QStringList AllLines(const CHListBox& log) {
    QStringList lines;
    lines.reserve(log.GetCount());
    for (int i = 0; i < log.GetCount(); ++i) {
        lines.append(log.GetText(i));
    }
    return lines;
}

std::vector<std::string> Utf8Lines(const CHListBox& log) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(log.GetCount()));
    for (int i = 0; i < log.GetCount(); ++i) {
        lines.push_back(log.GetText(i).toStdString());
    }
    return lines;
}

}  // namespace

StatusLogMenu::StatusLogMenu(CHListBox* log) : QObject(log), m_log(log) {
    m_copy = new QAction(QString::fromLatin1(statuslog::kCopyCaption), log);
    m_copy->setShortcut(QKeySequence::Copy);
    // Only while the log has the focus: Ctrl+C elsewhere is not the log's.
    m_copy->setShortcutContext(Qt::WidgetShortcut);
    connect(m_copy, &QAction::triggered, this, &StatusLogMenu::Copy);
    auto* copyAll = new QAction(QString::fromLatin1(statuslog::kCopyAllCaption), log);
    connect(copyAll, &QAction::triggered, this, &StatusLogMenu::CopyAll);
    auto* save = new QAction(QString::fromLatin1(statuslog::kSaveAsCaption), log);
    connect(save, &QAction::triggered, this, &StatusLogMenu::SaveAs);
    log->addActions({m_copy, copyAll, save});
    log->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void StatusLogMenu::Copy() {
    if (const int selected = m_log->GetCurSel(); selected >= 0) {
        QGuiApplication::clipboard()->setText(m_log->GetText(selected));
    }
}

void StatusLogMenu::CopyAll() {
    const QStringList lines = AllLines(*m_log);
    QGuiApplication::clipboard()->setText(lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + '\n');
}

void StatusLogMenu::SaveAs() {
    const QString suggested = QDir::home().filePath(QString::fromStdString(statuslog::SuggestedFileName()));
    const QString path =
        QFileDialog::getSaveFileName(m_log->window(), QString::fromLatin1(statuslog::kSaveDialogTitle),
                                     suggested, QStringLiteral("Text files (*.txt);;All files (*)"));
    if (!path.isEmpty()) {
        SaveTo(path);
    }
}

bool StatusLogMenu::SaveTo(const QString& path) {
    std::string error;
    const std::string text = statuslog::LogFileText(statuslog::LogFileHeader(), Utf8Lines(*m_log));
    if (statuslog::SaveLogFile(std::filesystem::path(QFile::encodeName(path).toStdString()), text, &error)) {
        return true;
    }
    QMessageBox::critical(m_log->window(), QGuiApplication::applicationDisplayName(),
                          QString::fromStdString(statuslog::SaveFailureMessage(
                              QDir::toNativeSeparators(path).toStdString(), error)));
    return false;
}

}  // namespace qtui
