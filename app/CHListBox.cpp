#include "app/CHListBox.h"

#include <QFontMetrics>
#include <QScrollBar>

namespace {
// Three border widths of margin, as the list box's own frame takes on each side plus one.
constexpr int kBorderWidth = 1;
constexpr int kMargin = 3 * kBorderWidth;
}  // namespace

CHListBox::CHListBox(QWidget* parent) : QListView(parent) {
    setModel(&m_model);
    // Every row has the same height, so the view need not measure each row on every insert.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

int CHListBox::AddString(const char* text) {
    return AddStrings(QStringList{QString::fromLocal8Bit(text)});
}

int CHListBox::AddStrings(const QStringList& lines) {
    const int admitted = statuslog::AdmittedLines(GetCount(), static_cast<int>(lines.size()));
    if (admitted == 0 && !lines.isEmpty()) {
        return kErrSpace;
    }
    const QStringList added = lines.first(admitted);
    for (const QString& line : added) {
        UpdateHorizontalExtent(line);
    }
    return m_model.Append(added);
}

void CHListBox::UpdateHorizontalExtent(const QString& text) {
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text) + kMargin;
    if (width > m_nMaxExtent) {
        m_nMaxExtent = width;
        m_model.SetRowSize(QSize(width, metrics.height()));
    }
}

QString CHListBox::GetText(int index) const {
    return m_model.data(m_model.index(index), Qt::DisplayRole).toString();
}

int CHListBox::GetCurSel() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void CHListBox::SetCurSel(int index) {
    if (index < 0) {
        clearSelection();
        return;
    }
    const QModelIndex item = m_model.index(index);
    setCurrentIndex(item);
    scrollTo(item);
}
