// The association's progress window: a centred line of text, a bar and a Cancel button. Modeless;
// the application's main window is disabled while it is open. Its owner keeps the user-interface
// thread busy and lets the window live by calling ProcessMessages between its own steps.
#pragma once

#include <QDialog>

#include "port/WaitDialogPort.h"

class QLabel;
class QProgressBar;

namespace qtui {

class CWaitDialog : public QDialog, public port::WaitDialogPort {
    Q_OBJECT
public:
    // Opens the window at once.
    CWaitDialog();
    ~CWaitDialog() override;

    void UpdateText(const char* text) override;
    // Below 0 shows 0; above 100 dismisses the dialog instead of moving the bar.
    void UpdateProgress(int position) override;
    // Handles the events waiting now, once. False when it met a quit request (QCoreApplication::quit()
    // or a posted QEvent::Quit): the request is posted again for the application's loop.
    // QCoreApplication::exit() goes unseen here; it needs no repeating, as it has already told every
    // running loop, the application's among them, to end.
    bool ProcessMessages() override;
    // Closes the window and gives the main window back. Harmless when already dismissed.
    void Dismiss();
    bool IsOpen() const override { return m_bOpen; }

    // True from construction until the first dismissal, whoever made it.
    bool m_bOpen = true;

public slots:
    // Enter and Esc and the Cancel button come here; they dismiss, never end a modal loop.
    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A Win32 wait dialog's window is gone once dismissed; here the object stays and the window
    // is hidden for good.
    bool m_windowExists = true;
    QLabel* m_text = nullptr;
    QProgressBar* m_progress = nullptr;
};

}  // namespace qtui
