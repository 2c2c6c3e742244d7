// The status log's context menu: Copy (the selected line, also Ctrl+C), Copy all, and Save log as...
// It reads the log and never changes it.
#pragma once

#include <QObject>
#include <QString>

class QAction;

namespace qtui {

class CHListBox;

class StatusLogMenu final : public QObject {
    Q_OBJECT
public:
    // Puts the menu on `log`, which owns it.
    explicit StatusLogMenu(CHListBox* log);

    void Copy();
    void CopyAll();
    // Asks for a file name, then saves there.
    void SaveAs();
    // Saves the whole log to `path`; a failure is a message box. True when saved.
    bool SaveTo(const QString& path);

private:
    CHListBox* m_log;
    QAction* m_copy;
};

}  // namespace qtui
