// A virtual-remote key: a button drawn from pictures, exactly as large as its normal picture, that
// tells its dialog the moment the left mouse button goes down on it and comes up again.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace qtui {

class CSubClassButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CSubClassButton(QWidget* parent = nullptr);

    // Pictures by bitmap number; false when the normal one does not exist. A missing selected,
    // focused or disabled picture falls back to the normal one. Each is drawn when first shown, at
    // the button's device pixel ratio.
    bool LoadBitmaps(int normal, int selected, int focused, int disabled);
    // Sizes the button to its normal picture, keeping its top-left corner.
    void SizeToContent();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    enum Look { Normal, Selected, Focused, Disabled };
    struct Picture {
        int bitmap = 0;
        qreal ratio = 0;  // of the pixmap drawn; 0 while none is
        QPixmap pixmap;
    };

    void Report(bool release);
    // The picture of `look` at the button's device pixel ratio; null when it has none.
    const QPixmap& PictureOf(Look look) const;

    mutable Picture m_pictures[4];
};

}  // namespace qtui
