#include "app/StatusLogModel.h"

namespace qtui {

int StatusLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant StatusLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return m_lines[static_cast<size_t>(index.row())];
    }
    return {};
}

int StatusLogModel::Append(const QStringList& lines) {
    const int first = rowCount();
    if (lines.isEmpty()) {
        return first;
    }
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
    m_lines.insert(m_lines.end(), lines.begin(), lines.end());
    endInsertRows();
    return first;
}

}  // namespace qtui
