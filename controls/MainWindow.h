// The application's main window: the one the association's wait dialog disables while it is open.
#pragma once

class QWidget;

namespace qtui {

// Set by the application object; null when there is none. The window may go away on its own:
// MainWindow() then answers null.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();

}  // namespace qtui
