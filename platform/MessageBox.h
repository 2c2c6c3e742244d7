// The error message box of the logic below the dialog, for failures that end the program.
#pragma once

namespace platform {

using ErrorMessageHandler = void (*)(const char* caption, const char* text);

// Shows a modal error box with no owner window and returns when it is dismissed. Windows: a
// topmost MessageBoxA with the error icon. Elsewhere the handler the application installed, or
// "caption: text" on stderr until it installs one.
void ShowErrorMessageBox(const char* caption, const char* text);

// Installs `handler` (nullptr restores the default) and returns the one it replaces.
ErrorMessageHandler SetErrorMessageHandler(ErrorMessageHandler handler);

}  // namespace platform
