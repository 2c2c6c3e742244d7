// A picture control that remembers which bitmap resource it shows and loads it again whenever the
// palette changes.
#pragma once

#include <QLabel>

class CSysColStatic : public QLabel {
    Q_OBJECT
public:
    explicit CSysColStatic(QWidget* parent = nullptr);

    // -1 loads the remembered bitmap again; any other id is remembered first. A bitmap that does not
    // exist leaves the picture as it is (the id stays remembered).
    void SetBitmapResource(int id);
    // Shows `picture` without changing the remembered bitmap, which the next palette change or
    // SetBitmapResource(-1) brings back.
    void SetPicture(const QPixmap& picture);

    int m_nBitmapID = -1;

protected:
    void changeEvent(QEvent* event) override;
};
