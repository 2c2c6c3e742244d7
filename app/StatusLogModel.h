// The lines of the status log. The log only grows, so the model only ever appends, and does so
// in batches: one row insertion per batch however many lines it carries.
#pragma once

#include <QAbstractListModel>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class StatusLogModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Appends the lines; returns the index of the first one.
    int Append(const QStringList& lines);
    // Every row reports this size, so the view's horizontal range follows the widest line and
    // the view can treat the rows as uniform.
    void SetRowSize(QSize size);

private:
    std::vector<QString> m_lines;
    QSize m_rowSize;
};
