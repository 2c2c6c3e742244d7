// Where the link and the configuration chain report what they find: the status log and message
// boxes. The configuration reader and the address lookup need nothing more of the dialog.
#pragma once

#include <string_view>

namespace port {

enum class MessageIcon { None, Error };

class StatusSink {
public:
    virtual ~StatusSink() = default;

    // Safe from any thread: a call from another thread reaches the log in order, later, on the
    // dialog's own thread, and never waits for it.
    virtual void AddStatusLine(std::string_view text) = 0;
    // User-interface thread only.
    virtual void ShowMessageBox(std::string_view text, MessageIcon icon) = 0;
};

}  // namespace port
