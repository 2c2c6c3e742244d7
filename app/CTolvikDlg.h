// The main dialog: every control of template 102, the status log, the link's start-up and
// shut-down, and the port through which the link and the remote functions change the screen.
#pragma once

#include <QColor>
#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "controls/VirtualKeySink.h"
#include "dialog/MainDialog.h"
#include "port/MainDialogPort.h"
#include "port/UpdateQueue.h"

class CHListBox;
class CSysColStatic;
class CSubClassButton;
class QPaintEvent;

class CTolvikDlg final : public QDialog, public MainDialogPort, public VirtualKeySink {
    Q_OBJECT
public:
    explicit CTolvikDlg(QWidget* parent = nullptr);
    ~CTolvikDlg() override;

    // Initialises (link included) and runs the dialog until it is closed.
    int DoModal();
    bool OnInitDialog();
    QWidget* GetDlgItem(int controlId) const;

    void ConnectToBridge();
    bool LookUpBridgeMac(uint8_t mac[6]);
    int ReadBridgeMacFromConfig(const char* installDir, const char* dataDir, uint8_t mac[6]);
    void EnableSignalStrengthPdo();
    void ReadFirmwareVersion();
    void OnAssociate();
    void SendVirtualKey(int controlId, bool release) override;
    // Background of the battery field's text, from g_batteryState.
    QColor OnCtlColor(int controlId) const;

    // MainDialogPort
    void AddStatusLine(const char* text) override;
    void SetItemText(int controlId, const char* text) override;
    void SetItemPicture(int controlId, int bitmapId) override;
    void SetBarPosition(int controlId, int position) override;
    bool HasRoomForUpdates() const override;
    void ShowMessageBox(const char* text, MessageIcon icon) override;
    void EnableItem(int controlId, bool enable) override;
    std::unique_ptr<WaitDialogPort> CreateWaitDialog() override;

    CSysColStatic* m_remotePicture = nullptr;
    CSubClassButton* m_btnAlignView = nullptr;
    CSubClassButton* m_btnMeasure = nullptr;
    CSubClassButton* m_btnFocusMinus = nullptr;
    CSubClassButton* m_btnFocusPlus = nullptr;
    CSubClassButton* m_btnZoomMinus = nullptr;
    CSubClassButton* m_btnZoomPlus = nullptr;
    CSubClassButton* m_btnSpot = nullptr;
    CSubClassButton* m_btnRing = nullptr;
    QColor m_colorLow;
    QColor m_colorUnknown;
    QColor m_colorOk;
    CHListBox* m_statusList = nullptr;
    QIcon m_hIcon;

public slots:
    void accept() override;  // Enter ends nothing
    void reject() override;  // nor does Esc

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    using Update = UpdateQueue::Update;

    void CreateControls();
    void BindButtons();
    void OnClose();
    // On the dialog's thread and not taking up records left with the library: changes apply at
    // once. Otherwise they are handed over.
    bool OnGuiThread() const;
    void HandOver(Update update);
    void ApplyPending();
    void ApplyText(int controlId, const char* text);
    void ApplyPicture(int controlId, int bitmapId);
    void ApplyBar(int controlId, int position);
    void AppendLines(const QStringList& lines);

    std::map<int, QWidget*> m_items;
    dialog::LinkCloser m_link;

    UpdateQueue m_updates;
    bool m_catchingUp = false;
};
