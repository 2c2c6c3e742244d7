// The status log's list: appends lines and keeps the horizontal scroll range as wide as the
// widest line ever added (it never shrinks). How many lines it holds and what it does once full
// is the rule both front ends share (statuslog/).
//
// Every row is one text line high, so the view places rows by arithmetic instead of QListView's
// layout, which walks every row on each insertion: appending costs the same at any length. It
// stays a QListView so that accessibility still reports a list.
#pragma once

#include <QListView>
#include <QStringList>

#include "app/StatusLogModel.h"
#include "statuslog/StatusLogRule.h"

namespace qtui {

class CHListBox final : public QListView {
    Q_OBJECT
public:
    static constexpr int kMaxLines = statuslog::kMaxLines;
    static constexpr int kErrSpace = statuslog::kErrSpace;

    explicit CHListBox(QWidget* parent = nullptr);

    // Appends one line; returns its index, or kErrSpace when the list is full.
    int AddString(const char* text);
    // Appends as many of the lines as fit with one row insertion; returns the index of the first,
    // or kErrSpace when none fits.
    int AddStrings(const QStringList& lines);
    void UpdateHorizontalExtent(const QString& text);

    int GetCount() const { return m_model.rowCount(); }
    QString GetText(int index) const;
    int GetCurSel() const;
    void SetCurSel(int index);
    int GetHorizontalExtent() const { return m_nMaxExtent; }

    // The widest line added so far, in pixels, margin included.
    int m_nMaxExtent = 0;

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void updateGeometries() override;
    // A horizontal scroll bar that appears with a wide line shrinks the viewport; the current
    // line, shown before, stays shown.
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    int horizontalOffset() const override;
    int verticalOffset() const override;

private:
    int RowHeight() const;
    // The row at a viewport y, clamped to the rows there are (-1 when there are none).
    int RowAt(int y) const;

    StatusLogModel m_model;
};

}  // namespace qtui
