#include "app/CHListBox.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace qtui {

namespace {
// Three border widths of margin, as the list box's own frame takes on each side plus one.
constexpr int kBorderWidth = 1;
constexpr int kMargin = 3 * kBorderWidth;
}  // namespace

CHListBox::CHListBox(QWidget* parent) : QListView(parent) {
    setModel(&m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
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
    const int width = QFontMetrics(font()).horizontalAdvance(text) + kMargin;
    if (width > m_nMaxExtent) {
        m_nMaxExtent = width;
        updateGeometries();
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

int CHListBox::RowHeight() const {
    return QFontMetrics(font()).height();
}

int CHListBox::RowAt(int y) const {
    return std::clamp((y + verticalOffset()) / RowHeight(), 0, GetCount() - 1);
}

QRect CHListBox::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != &m_model || index.row() >= GetCount()) {
        return {};
    }
    const int height = RowHeight();
    return {-horizontalOffset(), index.row() * height - verticalOffset(),
            std::max(m_nMaxExtent, viewport()->width()), height};
}

QModelIndex CHListBox::indexAt(const QPoint& point) const {
    const int y = point.y() + verticalOffset();
    const int x = point.x() + horizontalOffset();
    if (y < 0 || x < 0 || x >= std::max(m_nMaxExtent, viewport()->width())) {
        return {};
    }
    const int row = y / RowHeight();
    return row < GetCount() ? m_model.index(row) : QModelIndex();
}

void CHListBox::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.row() >= GetCount()) {
        return;
    }
    const int height = RowHeight();
    const int top = index.row() * height;
    const int page = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    int value = bar->value();
    switch (hint) {
        case EnsureVisible:
            if (top < value) {
                value = top;
            } else if (top + height > value + page) {
                value = top + height - page;
            }
            break;
        case PositionAtTop:
            value = top;
            break;
        case PositionAtBottom:
            value = top + height - page;
            break;
        case PositionAtCenter:
            value = top - (page - height) / 2;
            break;
    }
    bar->setValue(value);
}

// QListView's own layout places every row one by one; these rows are placed by arithmetic.
void CHListBox::doItemsLayout() {
    QAbstractItemView::doItemsLayout();
}

void CHListBox::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    viewport()->update();
}

void CHListBox::updateGeometries() {
    const QSize page = viewport()->size();
    const int height = RowHeight();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setSingleStep(height);
    vertical->setPageStep(page.height());
    vertical->setRange(0, std::max(0, GetCount() * height - page.height()));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setSingleStep(std::max(1, QFontMetrics(font()).averageCharWidth()));
    horizontal->setPageStep(page.width());
    horizontal->setRange(0, std::max(0, m_nMaxExtent - page.width()));
    QAbstractItemView::updateGeometries();
}

void CHListBox::resizeEvent(QResizeEvent* event) {
    const QRect current = visualRect(currentIndex());
    const bool shown =
        current.isValid() && current.top() >= 0 && current.bottom() < event->oldSize().height();
    QAbstractItemView::resizeEvent(event);
    if (shown && current.bottom() >= viewport()->height()) {
        scrollTo(currentIndex());
    }
}

void CHListBox::paintEvent(QPaintEvent* event) {
    if (GetCount() == 0) {
        return;
    }
    QPainter painter(viewport());
    QStyleOptionViewItem base;
    initViewItemOption(&base);
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const int last = RowAt(event->rect().bottom());
    for (int row = RowAt(event->rect().top()); row <= last; ++row) {
        const QModelIndex index = m_model.index(row);
        QStyleOptionViewItem option = base;
        option.rect = visualRect(index);
        if (selectionModel()->isSelected(index)) {
            option.state |= QStyle::State_Selected;
        }
        if (focus && index == current) {
            option.state |= QStyle::State_HasFocus;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void CHListBox::scrollContentsBy(int dx, int dy) {
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
}

QModelIndex CHListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    if (GetCount() == 0) {
        return {};
    }
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        return m_model.index(0);
    }
    const int page = std::max(1, viewport()->height() / RowHeight());
    int row = current.row();
    switch (action) {
        case MoveUp:
        case MovePrevious:
            --row;
            break;
        case MoveDown:
        case MoveNext:
            ++row;
            break;
        case MovePageUp:
            row -= page;
            break;
        case MovePageDown:
            row += page;
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = GetCount() - 1;
            break;
        case MoveLeft:
        case MoveRight:
            break;
    }
    return m_model.index(std::clamp(row, 0, GetCount() - 1));
}

void CHListBox::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QRect area = rect.normalized();
    const int top = area.top() + verticalOffset();
    const int rows = GetCount() * RowHeight();
    if (GetCount() == 0 || area.bottom() + verticalOffset() < 0 || top >= rows) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    selectionModel()->select(
        QItemSelection(m_model.index(RowAt(area.top())), m_model.index(RowAt(area.bottom()))), command);
}

QRegion CHListBox::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid() && range.model() == &m_model) {
            region +=
                visualRect(m_model.index(range.top())).united(visualRect(m_model.index(range.bottom())));
        }
    }
    return region.intersected(viewport()->rect());
}

int CHListBox::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int CHListBox::verticalOffset() const {
    return verticalScrollBar()->value();
}

}  // namespace qtui
