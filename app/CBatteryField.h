// The battery field: a read-only, centred text in a white field, the text standing on a block
// of the colour its owner picks at paint time (so a state change shows on the next repaint).
#pragma once

#include <QColor>
#include <QLineEdit>
#include <functional>

namespace qtui {

class CBatteryField final : public QLineEdit {
    Q_OBJECT
public:
    explicit CBatteryField(QWidget* parent = nullptr);

    std::function<QColor()> textBackground;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qtui
