#include "controls/MainWindow.h"

#include <QPointer>
#include <QWidget>

namespace qtui {

namespace {

QPointer<QWidget>& Current() {
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

void SetMainWindow(QWidget* window) {
    Current() = window;
}

QWidget* MainWindow() {
    return Current();
}

}  // namespace qtui
