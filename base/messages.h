// Every window message of the program: the serial port driver's notifications, the messages
// between the port thread, the worker thread and the main window, and the device link's own.
#pragma once

// WM_USER is 0x0400. The numbers are fixed; no other program relies on them.
enum : unsigned {
    // The serial port driver's notifications to the port's owner window (lParam: the port
    // number).
    WM_PORT_BREAK = 0x0400 + 1,      // 1025
    WM_PORT_CTS = 0x0400 + 2,        // 1026
    WM_PORT_LINE_ERROR = 0x0400 + 4, // 1028
    WM_PORT_RING = 0x0400 + 5,       // 1029
    WM_PORT_EVENT_CHAR = 0x0400 + 8, // 1032
    // Posted once when the port's device has gone (adapter pulled, cable cut).
    WM_PORT_GONE = 0x0400 + 9,  // 1033
    WM_PORT_DATA = 0x0400 + 10, // 1034, sent: wParam bytes, lParam count

    WM_LAYOUT_RULE = 0x0400 + 1100,     // 2124, posted: wParam rule, lParam argument
    WM_LOG_TEXT = 0x0400 + 1101,        // 2125, posted: wParam owned text buffer, lParam length
    // Sent by the worker when a job's answer is for the window (a listing to show, a file to
    // write, a file's differences to collect, the network mode): lParam points to the
    // LinkResult (exchange/device_link.h), valid during the call. The one way back from the
    // worker to the window besides WM_CONTROL_STATE and the log.
    WM_LINK_RESULT = 0x0400 + 1102,     // 2126
    WM_SAVE_FILE = 0x0400 + 1104,       // 2128, posted
    WM_LOAD_FILE = 0x0400 + 1105,       // 2129, posted
    WM_CONTROL_STATE = 0x0400 + 1107,   // 2131, wParam 1 enable / else disable, lParam a group
    WM_SWITCH_LANGUAGE = 0x0400 + 1108, // 2132, posted
    // Posted to show the server-address notice box once the handler that found the blank (a
    // focus change, possibly inside a layout rule) has returned.
    WM_IP_NOTICE = 0x0400 + 1111, // 2135
    // The station window's production line: a port's progress or a unit's result (posted from
    // a port's thread, lParam an owned event), and the end of the line's run (posted).
    WM_STATION_EVENT = 0x0400 + 1112, // 2136
    WM_STATION_DONE = 0x0400 + 1113,  // 2137
    // Posted at start when ORVEL_CRASH_TEST asks for a fault in the window thread (support
    // checks that a crash leaves its report).
    WM_CRASH_TEST = 0x0400 + 1114, // 2138
    // Posted when "Network port..." was picked in the port chooser: ask for the address.
    WM_CHOOSE_NETWORK_PORT = 0x0400 + 1115, // 2139
};

// The control groups of WM_CONTROL_STATE (its lParam).
enum ControlStateGroup : long {
    STATE_SETTING_MODE = 0, // the setting mode was entered or left
    STATE_PORT_CLOSED = 1,  // the port was closed, and at start
    STATE_QUEUE = 2,        // a job started, or the queue ran dry
    STATE_PORT_OPENED = 3,  // the port was opened
};
