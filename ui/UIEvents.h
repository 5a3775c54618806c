// What a control and its window share: the event codes and flags, the event and
// notification records and the receiver interfaces. Controls include this, not the paint
// manager, so that the control base and the manager do not include each other.
#pragma once

#include <windows.h>

#include <string>

class CControlUI;

// Event codes delivered to controls (TEventUI::Type). The mouse events lie strictly between
// UIEVENT__MOUSEBEGIN and UIEVENT__MOUSEEND, the key events between the key markers.
enum EVENTTYPE_UI {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN = 2,
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEY = 6,
    UIEVENT__KEYEND = 7,
    UIEVENT__MOUSEBEGIN = 8,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_BUTTONDOWN = 13,
    UIEVENT_BUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_RBUTTONUP = 16,
    UIEVENT_MBUTTONDOWN = 17,
    UIEVENT_MBUTTONUP = 18,
    UIEVENT_DBLCLICK = 19,
    UIEVENT_CONTEXTMENU = 20,
    UIEVENT_SCROLLWHEEL = 21,
    UIEVENT__MOUSEEND = 22,
    UIEVENT_KILLFOCUS = 23,
    UIEVENT_SETFOCUS = 24,
    UIEVENT_WINDOWSIZE = 25,
    UIEVENT_SETCURSOR = 26,
    UIEVENT_TIMER = 27,
    UIEVENT__LAST = 28,
};

// Flags of CControlUI::FindControl.
constexpr UINT UIFIND_ALL = 0x00000000;
constexpr UINT UIFIND_VISIBLE = 0x00000001;
constexpr UINT UIFIND_ENABLED = 0x00000002;
constexpr UINT UIFIND_HITTEST = 0x00000004;
constexpr UINT UIFIND_UPDATETEST = 0x00000008;
constexpr UINT UIFIND_TOP_FIRST = 0x00000010;
constexpr UINT UIFIND_ME_FIRST = 0x80000000;

// Flags of CControlUI::GetControlFlags.
constexpr UINT UIFLAG_TABSTOP = 0x00000001;
constexpr UINT UIFLAG_SETCURSOR = 0x00000002;

// State bits of the clickable controls.
constexpr UINT UISTATE_FOCUSED = 0x00000001;
constexpr UINT UISTATE_SELECTED = 0x00000002;
constexpr UINT UISTATE_DISABLED = 0x00000004;
constexpr UINT UISTATE_HOT = 0x00000008;
constexpr UINT UISTATE_PUSHED = 0x00000010;
constexpr UINT UISTATE_READONLY = 0x00000020;
constexpr UINT UISTATE_CAPTURED = 0x00000040;

// Key state bits of TEventUI::wKeyState.
constexpr WORD UIKEY_LBUTTON = 0x0001;
constexpr WORD UIKEY_RBUTTON = 0x0002;
constexpr WORD UIKEY_SHIFT = 0x0004;
constexpr WORD UIKEY_CONTROL = 0x0008;
constexpr WORD UIKEY_ALT = 0x0020;

// The window message the manager posts to itself for delayed cleanup and asynchronous
// notifications.
constexpr UINT WM_UI_CLEANUP = 0x8001;

// Float alignment bits (CControlUI::SetFloatAlign).
constexpr UINT DT_FLOAT_CENTER = 0x0001;
constexpr UINT DT_FLOAT_RIGHT = 0x0002;
constexpr UINT DT_FLOAT_VCENTER = 0x0004;
constexpr UINT DT_FLOAT_BOTTOM = 0x0008;

struct TEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    char chKey = 0;
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct TNotifyUI {
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Receivers.
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    // Returns 0 when the message was handled.
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;
};
