#include "app/CTolvikApp.h"

#include <QMessageBox>

#include "app/CTolvikDlg.h"
#include "controls/MainWindow.h"
#include "platform/MessageBox.h"

namespace qtui {

namespace {

void ShowFatalBox(const char* caption, const char* text) {
    QMessageBox box(QMessageBox::Critical, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                    QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

}  // namespace

bool CTolvikApp::InitInstance() {
    platform::SetErrorMessageHandler(ShowFatalBox);
    CTolvikDlg dlg;
    SetMainWindow(&dlg);
    dlg.DoModal();
    SetMainWindow(nullptr);
    return false;
}

}  // namespace qtui
