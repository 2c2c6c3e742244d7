// A picture control that remembers which bitmap resource it shows and loads it again whenever the
// palette changes. The remembered bitmap is drawn when the control is first painted, at its device
// pixel ratio, so a window maps without waiting for its pictures.
#pragma once

#include <QLabel>

namespace qtui {

class CSysColStatic : public QLabel {
    Q_OBJECT
public:
    explicit CSysColStatic(QWidget* parent = nullptr);

    // -1 loads the remembered bitmap again; any other id is remembered first. The control takes the
    // bitmap's size at once, keeping its top-left corner (and shows a blank of that size until the
    // first paint if it showed nothing); a bitmap that does not exist leaves the picture as it is
    // (the id stays remembered).
    void SetBitmapResource(int id);
    // Shows `picture` without changing the remembered bitmap, which the next palette change or
    // SetBitmapResource(-1) brings back.
    void SetPicture(const QPixmap& picture);
    // What the control shows, drawn now if it has not been yet.
    QPixmap Picture();

    int m_nBitmapID = -1;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Draws the remembered bitmap if it is due: asked for and not drawn, or drawn at another ratio.
    void DrawIfDue();

    int m_shownBitmap = -1;  // the last existing bitmap asked for: shown, or to be drawn
    bool m_bitmapDue = false;
    qreal m_drawnRatio = 0;  // of the remembered bitmap shown; 0 while another picture shows
};

}  // namespace qtui
