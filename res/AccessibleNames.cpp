#include "res/AccessibleNames.h"

#include <algorithm>
#include <iterator>

#include "res/Resource.h"
#include "res/StringTable.h"

namespace res {
namespace {

// Controls whose text (if any) does not say what they are. Pictures are told apart by their bitmap,
// as the decorative ones share IDC_STATIC. A null description takes the tooltip.
struct NamedControl {
    int dialogId;
    int controlId;
    int bitmapId;
    const char* name;
    const char* description;
};

constexpr NamedControl kNamedControls[] = {
    {IDD_TOLVIK, IDC_REMOTE_PICTURE, IDB_REMOTE_IDLE, "Remote keypad",
     "Picture of the remote keypad; the key last pressed on a remote lights up."},
    {IDD_TOLVIK, IDC_STEP1, IDB_STEP1, "Step 1 picture",
     "Picture: the base remote hangs on its cable from the instrument, connected."},
    {IDD_TOLVIK, IDC_STEP2, IDB_STEP2, "Step 2 picture",
     "Picture: the wireless remote goes onto the base remote, its batteries set aside."},
    {IDD_TOLVIK, IDC_STEP3, IDB_STEP3, "Step 3 picture",
     "Picture: the batteries go into the wireless remote, one each way up, within 20 seconds."},
    {IDD_TOLVIK, IDC_STATIC, IDB_BANNER, "Tolvik Remote Service banner",
     "Picture: the name Tolvik and the words Remote Service beside a small remote keypad."},
    {IDD_TOLVIK, IDC_STATIC, IDB_LOGO, "Wireless compatible logo",
     "Picture: radio waves and the words Wireless Compatible, the logo a base remote's label needs."},
    {IDD_TOLVIK, IDC_SIGNAL_BAR, 0, "Signal strength", nullptr},
    {IDD_TOLVIK, IDC_BATTERY, 0, "Wireless remote battery", nullptr},
    {IDD_TOLVIK, IDC_FIRMWARE, 0, "Firmware compatibility",
     "Whether the base remote's firmware supports wireless remotes."},
    {IDD_TOLVIK, IDC_STATUS_LOG, 0, "Status log", nullptr},
    {IDD_WAIT, IDC_WAIT_PROGRESS, 0, "Association progress", nullptr},
};

}  // namespace

AccessibleText ControlAccessibleText(const DialogTemplate& dialog, const DialogControl& control) {
    const char* tip = control.tooltipId ? LoadString(control.tooltipId) : nullptr;
    const auto* named =
        std::find_if(std::begin(kNamedControls), std::end(kNamedControls), [&](const NamedControl& n) {
            return n.dialogId == dialog.id && n.controlId == control.id && n.bitmapId == control.bitmapId;
        });
    if (named != std::end(kNamedControls)) {
        return {named->name, named->description ? named->description : tip};
    }
    // A key's caption is the remote's marking ("DN" twice); its tooltip says what it sends.
    if (control.kind == ControlKind::KeyButton) {
        return {tip ? tip : "", nullptr};
    }
    return {control.text ? control.text : "", tip};
}

}  // namespace res
