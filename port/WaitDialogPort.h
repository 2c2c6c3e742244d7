// The association's progress window, owned by whoever created it; destroying it dismisses it.
// User-interface thread only.
#pragma once

#include <optional>

namespace port {

class WaitDialogPort {
public:
    virtual ~WaitDialogPort() = default;
    virtual void UpdateText(const char* text) = 0;
    // Below 0 shows 0; above 100 dismisses the dialog instead of moving the bar (WaitBarPosition).
    virtual void UpdateProgress(int position) = 0;
    // Handles what is waiting; false when it met (and re-posted) a quit request.
    virtual bool ProcessMessages() = 0;
    // False once the user or the owner dismissed it.
    virtual bool IsOpen() const = 0;
};

// The bar position UpdateProgress shows for `position`; none when the dialog is to be dismissed.
inline std::optional<int> WaitBarPosition(int position) {
    if (position > 100) {
        return std::nullopt;
    }
    return position < 0 ? 0 : position;
}

}  // namespace port
