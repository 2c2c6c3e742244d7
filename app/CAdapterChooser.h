// The adapter chooser with Qt Widgets: the adapters found, a bit rate for a serial adapter,
// Remember, Refresh, Connect and Cancel. What it lists and says is chooser's; this class maps it
// onto widgets and keeps the remembered choice in Qt's settings.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "chooser/AdapterChoice.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSettings;

namespace qtui {

class CAdapterChooser final : public QDialog {
    Q_OBJECT
public:
    using Lister = std::function<std::vector<chooser::Adapter>()>;

    // Lists at once; `settings` holds the remembered choice and outlives the dialog.
    CAdapterChooser(Lister lister, QSettings& settings, QWidget* parent = nullptr);

    // Shows the chooser; on Connect remembers (or forgets) the choice and hands it to the adapter
    // library. False when the user cancelled.
    static bool Run(Lister lister, QSettings& settings);

    // The choice made when Connect was pressed.
    std::optional<chooser::Choice> Chosen() const { return m_chosen; }

    QListWidget* m_list = nullptr;
    QComboBox* m_bitrate = nullptr;
    QLabel* m_interfaceRate = nullptr;
    QCheckBox* m_remember = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_connect = nullptr;

public slots:
    void Refresh();
    void accept() override;

private:
    void OnRowChanged(int row);

    Lister m_lister;
    QSettings& m_settings;
    std::vector<chooser::Adapter> m_adapters;
    std::optional<chooser::Choice> m_remembered;
    std::optional<chooser::Choice> m_chosen;
};

}  // namespace qtui
