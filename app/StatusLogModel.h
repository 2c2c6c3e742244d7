// The lines of the status log. The log only grows, so the model only ever appends, and does so
// in batches: one row insertion per batch however many lines it carries.
#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <vector>

namespace qtui {

class StatusLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Appends the lines; returns the index of the first one.
    int Append(const QStringList& lines);

private:
    std::vector<QString> m_lines;
};

}  // namespace qtui
