// Resource numbers: dialog templates, controls, bitmaps, icon and strings.
#pragma once

namespace res {

// Dialog templates.
constexpr int IDD_WAIT = 100;
constexpr int IDD_TOLVIK = 102;
constexpr int IDD_ADAPTER_CHOOSER = 104;

// Controls of the main dialog; IDC_STATIC marks a control without identifier.
constexpr int IDC_STATIC = -1;
constexpr int IDC_STATUS_LOG = 1002;
constexpr int IDC_KEY_ALIGN_VIEW = 1003;
constexpr int IDC_KEY_FOCUS_MINUS = 1004;
constexpr int IDC_KEY_MEASURE = 1005;
constexpr int IDC_SIGNAL_BAR = 1006;
constexpr int IDC_KEY_FOCUS_PLUS = 1007;
constexpr int IDC_KEY_ZOOM_MINUS = 1008;
constexpr int IDC_KEY_ZOOM_PLUS = 1009;
constexpr int IDC_KEY_SPOT = 1010;
constexpr int IDC_KEY_RING = 1011;
constexpr int IDC_STEP1 = 1013;
constexpr int IDC_STEP2 = 1014;
constexpr int IDC_STEP3 = 1015;
constexpr int IDC_ASSOCIATE = 1016;
constexpr int IDC_REMOTE_PICTURE = 1017;
constexpr int IDC_BATTERY = 1020;
constexpr int IDC_FIRMWARE = 1022;

// Controls of the association wait dialog.
constexpr int IDC_WAIT_PROGRESS = 200;
constexpr int IDC_WAIT_TEXT = 1005;
// Controls of the adapter chooser; Connect is the standard OK button (1).
constexpr int IDC_ADAPTER_LIST = 1101;
constexpr int IDC_ADAPTER_BITRATE = 1102;
constexpr int IDC_ADAPTER_REMEMBER = 1104;
constexpr int IDC_ADAPTER_REFRESH = 1105;
// The standard Cancel button; the Windows headers give the same number as a macro.
#ifndef IDCANCEL
constexpr int IDCANCEL = 2;
#endif

// Bitmaps.
constexpr int IDB_REMOTE_IDLE = 130;
constexpr int IDB_REMOTE_ALIGN_VIEW = 139;
constexpr int IDB_REMOTE_FOCUS_MINUS = 140;
constexpr int IDB_REMOTE_FOCUS_PLUS = 141;
constexpr int IDB_REMOTE_MEASURE = 142;
constexpr int IDB_REMOTE_RING = 143;
constexpr int IDB_REMOTE_SPOT = 144;
constexpr int IDB_REMOTE_ZOOM_MINUS = 145;
constexpr int IDB_REMOTE_ZOOM_PLUS = 146;
constexpr int IDB_STEP1 = 147;
constexpr int IDB_STEP3 = 148;
constexpr int IDB_STEP2 = 149;
constexpr int IDB_BANNER = 150;
constexpr int IDB_KEY_UP = 151;
constexpr int IDB_KEY_DOWN = 152;
constexpr int IDB_KEY_MEASURE = 153;
constexpr int IDB_KEY_RING = 154;
constexpr int IDB_KEY_SPOT = 155;
constexpr int IDB_KEY_ALIGN_VIEW = 156;
constexpr int IDB_KEY_DOWN_SELECTED = 157;
constexpr int IDB_KEY_ALIGN_VIEW_SELECTED = 158;
constexpr int IDB_KEY_MEASURE_SELECTED = 159;
constexpr int IDB_KEY_RING_SELECTED = 160;
constexpr int IDB_KEY_SPOT_SELECTED = 161;
constexpr int IDB_KEY_UP_SELECTED = 162;
constexpr int IDB_LOGO = 164;

constexpr int IDI_TOLVIK = 128;

}  // namespace res
