// Window messages between the port thread, the worker thread and the main window.
#pragma once

// WM_USER is 0x0400; the numbers are fixed, other programs and the device tools rely on none of
// them, but the port driver's own notifications (WM_USER + 1 to WM_USER + 8) sit next to them.
enum : unsigned {
    WM_PORT_DATA = 0x0400 + 10,         // 1034, sent: wParam bytes, lParam count
    WM_LAYOUT_RULE = 0x0400 + 1100,     // 2124, posted: wParam rule, lParam argument
    WM_LOG_TEXT = 0x0400 + 1101,        // 2125, posted: wParam owned text buffer, lParam length
    WM_LISTING_READY = 0x0400 + 1102,   // 2126, sent by the worker
    WM_SAVE_FILE = 0x0400 + 1104,       // 2128, posted
    WM_LOAD_FILE = 0x0400 + 1105,       // 2129, posted
    WM_CONTROL_STATE = 0x0400 + 1107,   // 2131, wParam 1 enable / else disable, lParam group 0..3
    WM_SWITCH_LANGUAGE = 0x0400 + 1108, // 2132, posted
};
