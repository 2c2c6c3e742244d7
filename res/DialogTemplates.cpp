#include <algorithm>

#include "res/DialogTemplate.h"
#include "res/Resource.h"

namespace res {
namespace {

// Main dialog, in tab order. Pictures carry their bitmap; tooltips are string numbers.
constexpr DialogControl kMainControls[] = {
    {IDC_REMOTE_PICTURE, ControlKind::Picture, kNotify, "", 110, 22, 78, 122, 1017, IDB_REMOTE_IDLE},
    {IDC_STATIC, ControlKind::GroupBox, 0, "Virtual Remote", 199, 19, 79, 126, 0, 0},
    {IDC_KEY_ALIGN_VIEW, ControlKind::KeyButton, kTabStop, "AV", 205, 43, 32, 20, 1024, 0},
    {IDC_KEY_MEASURE, ControlKind::KeyButton, kTabStop, "M", 241, 43, 32, 20, 1025, 0},
    {IDC_KEY_FOCUS_MINUS, ControlKind::KeyButton, kTabStop, "DN", 205, 69, 18, 16, 1026, 0},
    {IDC_KEY_FOCUS_PLUS, ControlKind::KeyButton, kTabStop, "UP", 255, 69, 18, 16, 1027, 0},
    {IDC_KEY_ZOOM_MINUS, ControlKind::KeyButton, kTabStop, "DN", 205, 91, 18, 16, 1028, 0},
    {IDC_KEY_ZOOM_PLUS, ControlKind::KeyButton, kTabStop, "UP", 255, 91, 18, 16, 1029, 0},
    {IDC_KEY_SPOT, ControlKind::KeyButton, kTabStop, "S", 205, 113, 18, 16, 1030, 0},
    {IDC_KEY_RING, ControlKind::KeyButton, kTabStop, "R", 255, 113, 18, 16, 1031, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Focus", 229, 73, 20, 8, 0, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Zoom", 230, 94, 19, 8, 0, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Source", 228, 117, 24, 8, 0, 0},
    {IDC_STEP1, ControlKind::Picture, kNotify, "", 13, 184, 77, 106, 1019, IDB_STEP1},
    {IDC_STEP2, ControlKind::Picture, kNotify, "", 104, 184, 77, 106, 1020, IDB_STEP2},
    {IDC_STEP3, ControlKind::Picture, kNotify, "", 194, 184, 77, 106, 1022, IDB_STEP3},
    {IDC_SIGNAL_BAR, ControlKind::Progress, kSmooth | kVertical | kBorder, "", 289, 205, 26, 86, 1023, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Step1", 39, 174, 20, 8, 0, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Step2", 132, 174, 20, 8, 0, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Step3", 221, 174, 20, 8, 0, 0},
    {IDC_STATIC, ControlKind::Label, kCentred, "Signal Strength (dBm)", 286, 175, 32, 26, 0, 0},
    {IDC_STATIC, ControlKind::Label, kCentred, "Battery Status", 326, 209, 31, 19, 0, 0},
    {IDC_STATIC, ControlKind::GroupBox, 0, "Wireless Association", 7, 148, 272, 148, 0, 0},
    {IDC_STATIC, ControlKind::Picture, 0, "", 293, 7, 77, 30, 0, IDB_BANNER},
    {IDC_ASSOCIATE, ControlKind::PushButton, kTabStop, "&Associate", 123, 157, 42, 15, 1018, 0},
    {IDC_STATIC, ControlKind::Picture, 0, "", 295, 138, 58, 25, 0, IDB_LOGO},
    {IDC_STATIC, ControlKind::Label, kCentred,
     "Base remotes must have this logo on the product label for wireless compatibility.", 287, 99, 75, 36, 0,
     0},
    {IDC_BATTERY, ControlKind::Edit, kReadOnly | kCentred | kBorder, "", 327, 228, 30, 13, 1032, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Compatibility", 293, 60, 40, 8, 0, 0},
    {IDC_FIRMWARE, ControlKind::Edit, kReadOnly | kBorder | kTabStop, "", 293, 69, 77, 12, 0, 0},
    {IDC_STATUS_LOG, ControlKind::ListBox, kNotify | kNoIntegralHeight | kHScroll | kVScroll | kTabStop, "",
     7, 23, 92, 121, 1033, 0},
    {IDC_STATIC, ControlKind::Label, kLeft, "Status", 7, 13, 21, 8, 0, 0},
};

// Association wait dialog, in template order.
constexpr DialogControl kWaitControls[] = {
    {IDC_WAIT_PROGRESS, ControlKind::Progress, kBorder, "", 8, 48, 168, 16, 0, 0},
    {IDC_WAIT_TEXT, ControlKind::Label, kGroup | kCentred, "", 3, 16, 180, 15, 0, 0},
    {IDCANCEL, ControlKind::PushButton, kTabStop, "&Cancel", 68, 72, 49, 18, 0, 0},
};

constexpr DialogTemplate kMainDialog = {
    IDD_TOLVIK, "Tolvik", 377, 303, "MS Sans Serif", 8, false, false, true, false, kMainControls,
};

constexpr DialogTemplate kWaitDialog = {
    IDD_WAIT,      "Association in process...", 186, 96, "MS Sans Serif", 8, false, false, true, true,
    kWaitControls,
};

// Focused and disabled are the normal picture again; both DN keys share one pair, both UP keys another.
constexpr KeyButtonBitmaps kKeyButtons[] = {
    {IDC_KEY_ALIGN_VIEW, IDB_KEY_ALIGN_VIEW, IDB_KEY_ALIGN_VIEW_SELECTED, IDB_KEY_ALIGN_VIEW,
     IDB_KEY_ALIGN_VIEW},
    {IDC_KEY_MEASURE, IDB_KEY_MEASURE, IDB_KEY_MEASURE_SELECTED, IDB_KEY_MEASURE, IDB_KEY_MEASURE},
    {IDC_KEY_FOCUS_MINUS, IDB_KEY_DOWN, IDB_KEY_DOWN_SELECTED, IDB_KEY_DOWN, IDB_KEY_DOWN},
    {IDC_KEY_FOCUS_PLUS, IDB_KEY_UP, IDB_KEY_UP_SELECTED, IDB_KEY_UP, IDB_KEY_UP},
    {IDC_KEY_ZOOM_MINUS, IDB_KEY_DOWN, IDB_KEY_DOWN_SELECTED, IDB_KEY_DOWN, IDB_KEY_DOWN},
    {IDC_KEY_ZOOM_PLUS, IDB_KEY_UP, IDB_KEY_UP_SELECTED, IDB_KEY_UP, IDB_KEY_UP},
    {IDC_KEY_SPOT, IDB_KEY_SPOT, IDB_KEY_SPOT_SELECTED, IDB_KEY_SPOT, IDB_KEY_SPOT},
    {IDC_KEY_RING, IDB_KEY_RING, IDB_KEY_RING_SELECTED, IDB_KEY_RING, IDB_KEY_RING},
};

}  // namespace

const DialogTemplate* GetDialogTemplate(int id) {
    switch (id) {
        case IDD_TOLVIK:
            return &kMainDialog;
        case IDD_WAIT:
            return &kWaitDialog;
        default:
            return nullptr;
    }
}

const DialogControl* FindControl(const DialogTemplate& dialog, int controlId) {
    const auto it =
        std::find_if(dialog.controls.begin(), dialog.controls.end(),
                     [controlId](const DialogControl& control) { return control.id == controlId; });
    return it == dialog.controls.end() ? nullptr : &*it;
}

std::span<const KeyButtonBitmaps> KeyButtonBitmapTable() {
    return kKeyButtons;
}

}  // namespace res
