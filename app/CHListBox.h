// The status log's list: appends lines and keeps the horizontal scroll range as wide as the
// widest line ever added (it never shrinks).
#pragma once

#include <QListView>
#include <QStringList>

#include "app/StatusLogModel.h"

class CHListBox final : public QListView {
    Q_OBJECT
public:
    explicit CHListBox(QWidget* parent = nullptr);

    // Appends one line; returns its index.
    int AddString(const char* text);
    // Appends several lines with one row insertion; returns the index of the first.
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
