// Dialog templates as data, readable without any toolkit.
#pragma once

#include <span>

namespace res {

enum class ControlKind {
    Picture,     // static showing a bitmap; sizes itself to the bitmap
    GroupBox,    // framed caption
    Label,       // static text
    KeyButton,   // owner-drawn picture button
    PushButton,  // ordinary push button
    Edit,        // single-line edit
    ListBox,     // list box
    Progress,    // progress bar
    ComboBox,    // drop-down list; its height is the dropped list's
    CheckBox,    // check box that ticks itself
};

// Control styles that change how a control looks or behaves.
enum ControlStyle : unsigned {
    kCentred = 1u << 0,            // text centred
    kLeft = 1u << 1,               // text left-aligned
    kReadOnly = 1u << 2,           // edit that the user cannot change
    kBorder = 1u << 3,             // thin frame
    kVertical = 1u << 4,           // progress bar filling upwards
    kSmooth = 1u << 5,             // progress bar without segments
    kTabStop = 1u << 6,            // reached with Tab
    kNotify = 1u << 7,             // reports clicks (and so takes tooltips)
    kHScroll = 1u << 8,            // horizontal scroll bar
    kVScroll = 1u << 9,            // vertical scroll bar
    kNoIntegralHeight = 1u << 10,  // list box keeps its height even when a line is cut
    kGroup = 1u << 11,             // starts a group for the arrow keys
    kDisabled = 1u << 12,          // created disabled
};

// One control; rectangles are in dialog units. Id -1: no identifier. TooltipId and bitmapId 0: none.
struct DialogControl {
    int id;
    ControlKind kind;
    unsigned style;
    const char* text;
    int x, y, width, height;
    int tooltipId;
    int bitmapId;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // client area, dialog units
    const char* fontName;
    int pointSize;
    bool minimizeBox, maximizeBox, systemMenu, center;
    std::span<const DialogControl> controls;  // in tab order
};

// Template 100 or 102; nullptr for any other number.
const DialogTemplate* GetDialogTemplate(int id);
// The row of `controlId` in `dialog`; nullptr when it has none.
const DialogControl* FindControl(const DialogTemplate& dialog, int controlId);

// The four pictures a key button loads, by bitmap number.
struct KeyButtonBitmaps {
    int controlId;
    int normal, selected, focused, disabled;
};
// The eight virtual-remote buttons, in the order the main dialog sets them up.
std::span<const KeyButtonBitmaps> KeyButtonBitmapTable();

}  // namespace res
