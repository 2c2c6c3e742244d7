#include "app/CTolvikApp.h"

#include <QMessageBox>
#include <QSettings>

#include "app/AdapterListing.h"
#include "app/CAdapterChooser.h"
#include "app/CTolvikDlg.h"
#include "chooser/StartUp.h"
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
    if (chooser::WantsAdapterChoice()) {
        QSettings settings(QStringLiteral("Tolvik"), QStringLiteral("Tolvik"));
        if (!CAdapterChooser::Run(ListAdapters, settings)) {
            return false;  // Cancel ends Tolvik
        }
    }
    CTolvikDlg dlg;
    SetMainWindow(&dlg);
    dlg.DoModal();
    SetMainWindow(nullptr);
    return false;
}

}  // namespace qtui
