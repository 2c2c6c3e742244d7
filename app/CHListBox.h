// The status log's list: appends lines and keeps the horizontal scroll range as wide as the
// widest line ever added (it never shrinks). How many lines it holds and what it does once full
// is the rule both front ends share (statuslog/).
#pragma once

#include <QListView>
#include <QStringList>

#include "app/StatusLogModel.h"
#include "statuslog/StatusLogRule.h"

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

private:
    StatusLogModel m_model;
};
