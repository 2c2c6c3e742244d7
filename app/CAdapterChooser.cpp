#include "app/CAdapterChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "art/Artwork.h"
#include "art/DialogUnits.h"
#include "chooser/StartUp.h"
#include "chooser/Texts.h"
#include "res/Resource.h"

using chooser::Adapter;
using chooser::AdapterKind;
using chooser::Choice;

namespace qtui {

namespace {

const QString kRememberedKey = QStringLiteral("adapter");

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// An access key's "&" is no part of what a screen reader says.
QString Named(const char* text) {
    return Text(text).remove(QLatin1Char('&'));
}

}  // namespace

CAdapterChooser::CAdapterChooser(Lister lister, QSettings& settings, QWidget* parent)
    : QDialog(parent), m_lister(std::move(lister)), m_settings(settings) {
    setWindowTitle(Text(chooser::kCaption));
    setWindowIcon(res::LoadIcon(res::IDI_TOLVIK));
    setFont(res::DialogFont(*res::GetDialogTemplate(res::IDD_TOLVIK)));

    auto* intro = new QLabel(Text(chooser::kIntro), this);
    intro->setWordWrap(true);
    auto* listLabel = new QLabel(Text(chooser::kAdaptersLabel), this);
    m_list = new QListWidget(this);
    m_list->setWordWrap(true);
    m_list->setAccessibleName(Named(chooser::kAdaptersName));
    listLabel->setBuddy(m_list);

    auto* rateLabel = new QLabel(Text(chooser::kBitrateLabel), this);
    m_bitrate = new QComboBox(this);
    m_bitrate->setAccessibleName(Named(chooser::kBitrateName));
    for (int rate : chooser::SerialBitrates()) {
        m_bitrate->addItem(Text(chooser::BitrateText(rate)), rate);
    }
    rateLabel->setBuddy(m_bitrate);
    m_interfaceRate = new QLabel(this);
    m_interfaceRate->setWordWrap(true);
    m_interfaceRate->setAccessibleName(Named(chooser::kBitrateName));

    m_remember = new QCheckBox(Text(chooser::kRemember), this);
    auto* buttons = new QDialogButtonBox(this);
    m_refresh = buttons->addButton(Text(chooser::kRefresh), QDialogButtonBox::ResetRole);
    m_connect = buttons->addButton(Text(chooser::kConnect), QDialogButtonBox::AcceptRole);
    buttons->addButton(Text(chooser::kCancel), QDialogButtonBox::RejectRole);
    m_connect->setDefault(true);
    m_refresh->setAutoDefault(false);

    auto* rates = new QGridLayout;
    rates->addWidget(rateLabel, 0, 0);
    rates->addWidget(m_bitrate, 0, 1);
    rates->addWidget(m_interfaceRate, 1, 1);
    rates->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(listLabel);
    layout->addWidget(m_list, 1);
    layout->addLayout(rates);
    layout->addWidget(m_remember);
    layout->addWidget(buttons);
    // Wide enough for a USB product and maker on one line at any font size.
    resize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 22);

    connect(buttons, &QDialogButtonBox::accepted, this, &CAdapterChooser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAdapterChooser::reject);
    connect(m_refresh, &QPushButton::clicked, this, &CAdapterChooser::Refresh);
    connect(m_list, &QListWidget::currentRowChanged, this, &CAdapterChooser::OnRowChanged);
    connect(m_list, &QListWidget::itemActivated, this, &CAdapterChooser::accept);

    m_remembered = chooser::ParseAdapterText(m_settings.value(kRememberedKey).toString().toStdString());
    m_remember->setChecked(m_remembered.has_value());
    Refresh();
}

void CAdapterChooser::Refresh() {
    // What the user picked stays picked across a refresh while it is still there.
    std::optional<Choice> keep = m_remembered;
    if (const int row = m_list->currentRow(); row >= 0 && row < static_cast<int>(m_adapters.size())) {
        keep = Choice{m_adapters[row].kind, m_adapters[row].device, m_bitrate->currentData().toInt()};
    }
    m_adapters = m_lister();
    m_list->clear();
    for (const Adapter& adapter : m_adapters) {
        m_list->addItem(Text(chooser::RowText(adapter)));
    }
    const std::optional<size_t> row = chooser::PreselectedRow(m_adapters, keep);
    if (!row) {
        auto* nothing = new QListWidgetItem(Text(chooser::NothingPresentText()), m_list);
        nothing->setFlags(Qt::ItemIsEnabled);
        OnRowChanged(-1);
        m_refresh->setFocus();
        return;
    }
    const bool kept = keep && m_adapters[*row].device == keep->device;
    const int rate =
        kept && keep->kind == AdapterKind::Slcan ? keep->bitrate : chooser::kDefaultSerialBitrate;
    m_bitrate->setCurrentIndex(m_bitrate->findData(rate));
    m_list->setCurrentRow(static_cast<int>(*row));
    OnRowChanged(static_cast<int>(*row));
    m_list->setFocus();
}

void CAdapterChooser::OnRowChanged(int row) {
    const bool listed = row >= 0 && row < static_cast<int>(m_adapters.size());
    const bool serial = listed && m_adapters[row].kind == AdapterKind::Slcan;
    m_connect->setEnabled(listed);
    m_connect->setDefault(listed);
    m_refresh->setDefault(!listed);
    m_bitrate->setEnabled(serial);
    m_bitrate->setVisible(!listed || serial);
    m_interfaceRate->setVisible(listed && !serial);
    if (listed && !serial) {
        m_interfaceRate->setText(Text(chooser::InterfaceBitrateText(m_adapters[row])));
    }
}

void CAdapterChooser::accept() {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_adapters.size())) {
        return;  // nothing listed: Enter refreshes instead, through the default button
    }
    const Adapter& adapter = m_adapters[row];
    m_chosen = Choice{adapter.kind, adapter.device};
    if (adapter.kind == AdapterKind::Slcan) {
        m_chosen->bitrate = m_bitrate->currentData().toInt();
    }
    if (m_remember->isChecked()) {
        m_settings.setValue(kRememberedKey, Text(chooser::AdapterText(*m_chosen)));
    } else {
        m_settings.remove(kRememberedKey);
    }
    m_settings.sync();
    QDialog::accept();
}

bool CAdapterChooser::Run(Lister lister, QSettings& settings) {
    CAdapterChooser dialog(std::move(lister), settings);
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) {
        return false;
    }
    chooser::HandOver(*dialog.Chosen());
    return true;
}

}  // namespace qtui
