#include "app/CTolvikDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaObject>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <algorithm>

#include "app/CBatteryField.h"
#include "app/CHListBox.h"
#include "app/StatusLogMenu.h"
#include "art/Artwork.h"
#include "art/DialogUnits.h"
#include "controls/CSubClassButton.h"
#include "controls/CSysColStatic.h"
#include "controls/CWaitDialog.h"
#include "dialog/MainDialog.h"
#include "res/AccessibleNames.h"
#include "res/DialogTemplate.h"
#include "res/Resource.h"
#include "res/StringTable.h"

using port::MessageIcon;
using port::WaitDialogPort;

namespace qtui {

namespace {

QString ControlText(const char* text) {
    // The template marks access keys with "&", as Qt does.
    return QString::fromLatin1(text ? text : "");
}

}  // namespace

CTolvikDlg::CTolvikDlg(QWidget* parent) : QDialog(parent) {
    CreateControls();
}

CTolvikDlg::~CTolvikDlg() = default;

void CTolvikDlg::CreateControls() {
    const res::DialogTemplate& dialog = *res::GetDialogTemplate(res::IDD_TOLVIK);
    setFont(res::DialogFont(dialog));
    const QSize baseUnits = res::DialogBaseUnits(font());

    setWindowTitle(QString::fromLatin1(dialog.caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(res::MapDialogRect(QRect(0, 0, dialog.width, dialog.height), baseUnits).size());

    for (const res::DialogControl& control : dialog.controls) {
        QWidget* widget = nullptr;
        const QString text = ControlText(control.text);
        switch (control.kind) {
            case res::ControlKind::Picture: {
                auto* picture = new CSysColStatic(this);
                if (control.id == res::IDC_REMOTE_PICTURE) {
                    m_remotePicture = picture;
                }
                widget = picture;
                break;
            }
            case res::ControlKind::GroupBox:
                widget = new QGroupBox(text, this);
                break;
            case res::ControlKind::Label: {
                auto* label = new QLabel(text, this);
                label->setWordWrap(true);
                label->setAlignment((control.style & res::kCentred ? Qt::AlignHCenter : Qt::AlignLeft) |
                                    Qt::AlignTop);
                widget = label;
                break;
            }
            case res::ControlKind::KeyButton:
                widget = new CSubClassButton(this);
                break;
            case res::ControlKind::PushButton: {
                auto* button = new QPushButton(text, this);
                button->setAutoDefault(false);
                widget = button;
                break;
            }
            case res::ControlKind::Edit:
                if (control.id == res::IDC_BATTERY) {
                    auto* field = new CBatteryField(this);
                    field->textBackground = [this] { return OnCtlColor(res::IDC_BATTERY); };
                    widget = field;
                } else {
                    auto* edit = new QLineEdit(this);
                    edit->setReadOnly(true);
                    widget = edit;
                }
                break;
            case res::ControlKind::ListBox:
                m_statusList = new CHListBox(this);
                new StatusLogMenu(m_statusList);
                widget = m_statusList;
                break;
            case res::ControlKind::Progress: {
                auto* bar = new QProgressBar(this);
                bar->setOrientation(Qt::Vertical);
                bar->setTextVisible(false);
                widget = bar;
                break;
            }
            case res::ControlKind::ComboBox:
                widget = new QComboBox(this);
                break;
            case res::ControlKind::CheckBox:
                widget = new QCheckBox(text, this);
                break;
        }
        widget->setGeometry(
            res::MapDialogRect(QRect(control.x, control.y, control.width, control.height), baseUnits));
        // Picture statics take the size of their picture, keeping their top-left corner; it is
        // drawn when first shown.
        if (auto* picture = qobject_cast<CSysColStatic*>(widget); picture && control.bitmapId) {
            picture->SetBitmapResource(control.bitmapId);
        }
        // A one-line label drawn in a substitute font may be a little wider than its rectangle;
        // let it run on rather than cut its last letters.
        if (control.kind == res::ControlKind::Label && control.height <= 8) {
            widget->resize(std::max(widget->width(), widget->sizeHint().width()), widget->height());
        }
        const char* tip = control.tooltipId ? res::LoadString(control.tooltipId) : nullptr;
        if (tip) {
            widget->setToolTip(QString::fromLatin1(tip));
        }
        // Screen readers and GUI test clients find a control by its name.
        const res::AccessibleText accessible = res::ControlAccessibleText(dialog, control);
        widget->setAccessibleName(QString::fromLatin1(accessible.name).remove(QLatin1Char('&')));
        widget->setAccessibleDescription(QString::fromLatin1(accessible.description));
        if (control.id > 0) {
            widget->setProperty("controlId", control.id);
            m_items[control.id] = widget;
        }
        if (control.style & res::kDisabled) {
            widget->setEnabled(false);
        }
    }
    connect(static_cast<QPushButton*>(GetDlgItem(res::IDC_ASSOCIATE)), &QPushButton::clicked, this,
            &CTolvikDlg::OnAssociate);
}

QWidget* CTolvikDlg::GetDlgItem(int controlId) const {
    auto it = m_items.find(controlId);
    return it == m_items.end() ? nullptr : it->second;
}

int CTolvikDlg::DoModal() {
    OnInitDialog();
    return exec();
}

bool CTolvikDlg::OnInitDialog() {
    setWindowIcon(res::LoadIcon(res::IDI_TOLVIK));

    for (const res::KeyButtonBitmaps& entry : res::KeyButtonBitmapTable()) {
        auto* button = static_cast<CSubClassButton*>(GetDlgItem(entry.controlId));
        button->LoadBitmaps(entry.normal, entry.selected, entry.focused, entry.disabled);
        button->SizeToContent();
    }
    m_remotePicture->SetBitmapResource(res::IDB_REMOTE_IDLE);

    m_controller.StartUp();

    auto* bar = static_cast<QProgressBar*>(GetDlgItem(res::IDC_SIGNAL_BAR));
    bar->setRange(0, dialog::kSignalBarMaximum);
    return true;
}

void CTolvikDlg::OnAssociate() {
    if (m_controller.OnAssociate()) {
        OnClose();
    }
}

void CTolvikDlg::SendVirtualKey(int controlId, bool release) {
    m_controller.SendVirtualKey(controlId, release);
}

QColor CTolvikDlg::OnCtlColor(int controlId) const {
    if (controlId != res::IDC_BATTERY) {
        return QColor(Qt::white);
    }
    const dialog::Rgb rgb = m_controller.BatteryTextBackground();
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void CTolvikDlg::accept() {}
void CTolvikDlg::reject() {}

void CTolvikDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CTolvikDlg::closeEvent(QCloseEvent* event) {
    // During the association the close follows once it has written its closing value.
    if (!m_controller.RequestClose()) {
        event->ignore();
        return;
    }
    OnClose();
    event->accept();
}

void CTolvikDlg::OnClose() {
    done(QDialog::Accepted);
    m_controller.Close();
}

void CTolvikDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // Qt also paints the dialog beneath a child that redraws itself (the picture or a bar
    // taking a new value): those repaints lie wholly inside children and must not undo a key
    // highlight. A repaint that reaches the dialog's own surface is a real one.
    QRegion children;
    for (QObject* object : this->children()) {
        if (auto* child = qobject_cast<QWidget*>(object); child && child->isVisible()) {
            children += child->geometry();
        }
    }
    if (!(event->region() - children).isEmpty() && m_remotePicture) {
        m_remotePicture->SetBitmapResource(res::IDB_REMOTE_IDLE);
    }
}

bool CTolvikDlg::IsGuiThread() const {
    return QThread::currentThread() == thread();
}

void CTolvikDlg::WakeGuiThread() {
    // Dropped with the dialog: changes still queued for a dialog that is gone are not run.
    QMetaObject::invokeMethod(
        this, [this] { ApplyPending(); }, Qt::QueuedConnection);
}

void CTolvikDlg::AppendLines(const std::vector<std::string>& lines) {
    QStringList added;
    added.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        added << QString::fromLocal8Bit(line.c_str());
    }
    m_statusList->AddStrings(added);
    m_statusList->SetCurSel(m_statusList->GetCount() - 1);
}

void CTolvikDlg::ApplyText(int controlId, const char* text) {
    QWidget* item = GetDlgItem(controlId);
    if (auto* edit = qobject_cast<QLineEdit*>(item)) {
        edit->setText(QString::fromLocal8Bit(text));
    } else if (auto* label = qobject_cast<QLabel*>(item)) {
        label->setText(QString::fromLocal8Bit(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(item)) {
        button->setText(QString::fromLocal8Bit(text));
    }
}

void CTolvikDlg::ApplyPicture(int controlId, int bitmapId) {
    // The replaced picture is released with the pixmap the control held.
    if (auto* picture = qobject_cast<CSysColStatic*>(GetDlgItem(controlId))) {
        picture->SetPicture(res::LoadBitmap(bitmapId, devicePixelRatioF()));
    }
}

void CTolvikDlg::ApplyBar(int controlId, int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(GetDlgItem(controlId))) {
        bar->setValue(position);
    }
}

void CTolvikDlg::PresentMessageBox(const char* text, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QGuiApplication::applicationDisplayName(), QString::fromLocal8Bit(text), QMessageBox::Ok,
                    this);
    box.exec();
}

void CTolvikDlg::EnableItem(int controlId, bool enable) {
    if (QWidget* item = GetDlgItem(controlId)) {
        item->setEnabled(enable);
    }
}

std::unique_ptr<WaitDialogPort> CTolvikDlg::CreateWaitDialog() {
    return std::make_unique<CWaitDialog>();
}

}  // namespace qtui
