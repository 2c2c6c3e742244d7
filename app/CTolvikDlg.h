// The main dialog with Qt Widgets: every control of template 102 and the status log. What it
// does is DialogController's; how changes from the library's thread reach it is MarshalledView's.
// This class maps both onto widgets.
#pragma once

#include <QColor>
#include <QDialog>
#include <map>
#include <string>
#include <vector>

#include "controls/VirtualKeySink.h"
#include "dialog/DialogController.h"
#include "dialog/MarshalledView.h"

class QPaintEvent;

namespace qtui {

class CHListBox;
class CSysColStatic;

class CTolvikDlg final : public QDialog, public dialog::MarshalledView, public VirtualKeySink {
    Q_OBJECT
public:
    explicit CTolvikDlg(QWidget* parent = nullptr);
    ~CTolvikDlg() override;

    // Initialises (link included) and runs the dialog until it is closed.
    int DoModal();
    bool OnInitDialog();
    QWidget* GetDlgItem(int controlId) const;

    void OnAssociate();
    void SendVirtualKey(int controlId, bool release) override;
    // Background of the battery field's text, from the battery state (g_batteryState).
    QColor OnCtlColor(int controlId) const;

    // RemoteView, GUI thread only
    void EnableItem(int controlId, bool enable) override;
    std::unique_ptr<port::WaitDialogPort> CreateWaitDialog() override;

    CSysColStatic* m_remotePicture = nullptr;
    CHListBox* m_statusList = nullptr;
    // Made after the view it reaches, gone before it: it disconnects before the widgets go.
    dialog::DialogController m_controller{*this};

public slots:
    void accept() override;  // Enter ends nothing
    void reject() override;  // nor does Esc

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    // MarshalledView
    bool IsGuiThread() const override;
    void WakeGuiThread() override;
    void ApplyText(int controlId, const char* text) override;
    void ApplyPicture(int controlId, int bitmapId) override;
    void ApplyBar(int controlId, int position) override;
    void AppendLines(const std::vector<std::string>& lines) override;
    void PresentMessageBox(const char* text, port::MessageIcon icon) override;

private:
    void CreateControls();
    void OnClose();

    std::map<int, QWidget*> m_items;
};

}  // namespace qtui
