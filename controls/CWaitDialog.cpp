#include "controls/CWaitDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "art/DialogUnits.h"
#include "controls/MainWindow.h"
#include "res/AccessibleNames.h"
#include "res/DialogTemplate.h"
#include "res/Resource.h"

using port::WaitBarPosition;

namespace qtui {

namespace {

// Holds back the quit requests that reach the application while the dialog handles its events.
class QuitCatcher : public QObject {
public:
    QuitCatcher() { QCoreApplication::instance()->installEventFilter(this); }

    bool caught = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Quit || watched != QCoreApplication::instance()) {
            return false;
        }
        caught = true;
        return true;
    }
};

void Place(QWidget* widget, const res::DialogTemplate& dialog, int controlId, QSize baseUnits) {
    const res::DialogControl& row = *res::FindControl(dialog, controlId);
    widget->setGeometry(res::MapDialogRect(QRect(row.x, row.y, row.width, row.height), baseUnits));
    widget->setProperty("controlId", controlId);
    // Left unset when empty: the text the window shows then speaks for the control.
    const QString name =
        QString::fromLatin1(res::ControlAccessibleText(dialog, row).name).remove(QLatin1Char('&'));
    if (!name.isEmpty()) {
        widget->setAccessibleName(name);
    }
}

}  // namespace

CWaitDialog::CWaitDialog()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint) {
    const res::DialogTemplate& dialog = *res::GetDialogTemplate(res::IDD_WAIT);
    setFont(res::DialogFont(dialog));
    const QSize baseUnits = res::DialogBaseUnits(font());
    setWindowTitle(QString::fromLatin1(dialog.caption));
    setFixedSize(res::MapDialogRect(QRect(0, 0, dialog.width, dialog.height), baseUnits).size());

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    Place(m_progress, dialog, res::IDC_WAIT_PROGRESS, baseUnits);

    m_text = new QLabel(this);
    m_text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_text->setWordWrap(true);
    Place(m_text, dialog, res::IDC_WAIT_TEXT, baseUnits);

    auto* cancel = new QPushButton(QString::fromLatin1(res::FindControl(dialog, res::IDCANCEL)->text), this);
    Place(cancel, dialog, res::IDCANCEL, baseUnits);
    connect(cancel, &QPushButton::clicked, this, &CWaitDialog::reject);

    QWidget* mainWindow = MainWindow();
    if (mainWindow) {
        mainWindow->setEnabled(false);
        // Kept above the main window it disables.
        if (mainWindow->windowHandle()) {
            create();
            windowHandle()->setTransientParent(mainWindow->windowHandle());
        }
    }
    if (QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

CWaitDialog::~CWaitDialog() {
    Dismiss();
}

void CWaitDialog::UpdateText(const char* text) {
    if (m_windowExists) {
        m_text->setText(QString::fromLocal8Bit(text ? text : ""));
    }
}

void CWaitDialog::UpdateProgress(int position) {
    if (!m_windowExists) {
        return;
    }
    if (const std::optional<int> shown = WaitBarPosition(position)) {
        m_progress->setValue(*shown);
    } else {
        Dismiss();
    }
}

bool CWaitDialog::ProcessMessages() {
    // One pass over what waits now; what that handling posts waits for the next step, so a stream of
    // events cannot keep the owner here. A local QEventLoop would not do: entering one discards the
    // quit requests already posted.
    QuitCatcher catcher;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!catcher.caught) {
        return true;
    }
    // The application's own loop still has to see it.
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    return false;
}

void CWaitDialog::Dismiss() {
    m_bOpen = false;
    if (!m_windowExists) {
        return;
    }
    m_windowExists = false;
    // The main window first, so that it is the one activated when this window goes.
    if (QWidget* mainWindow = MainWindow()) {
        mainWindow->setEnabled(true);
    }
    hide();
}

void CWaitDialog::accept() {
    Dismiss();
}

void CWaitDialog::reject() {
    Dismiss();
}

void CWaitDialog::keyPressEvent(QKeyEvent* event) {
    // Enter dismisses wherever the focus is, as Esc does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CWaitDialog::closeEvent(QCloseEvent* event) {
    Dismiss();
    event->accept();
}

}  // namespace qtui
