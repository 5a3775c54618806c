// CControlUI: the base of every windowless control. A control is a rectangle in its window's
// client area with a background (colour, gradient, image), state images, a border and a text,
// a set of size rules for the layouts, and the common skin attributes. Derived classes
// override the virtual operations below; unknown attributes end in the custom attribute table.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/UIEvents.h"
#include "ui/UIParse.h"
#include "ui/UIParseWin.h"

class CControlUI;
class CPaintManagerUI;

typedef CControlUI*(CALLBACK* FINDCONTROLPROC)(CControlUI*, LPVOID);

// A list of handlers for one kind of callback. Invoking it runs the handlers in order and
// answers true only when all of them answer true (an empty list answers true).
class CEventSource {
public:
    using Handler = std::function<bool(void*)>;
    CEventSource& operator+=(Handler handler) {
        m_handlers.push_back(std::move(handler));
        return *this;
    }
    bool operator()(void* param) const {
        const auto snapshot = m_handlers;
        for (const auto& handler : snapshot)
            if (!handler(param))
                return false;
        return true;
    }
    bool IsEmpty() const { return m_handlers.empty(); }
    void Clear() { m_handlers.clear(); }

private:
    std::vector<Handler> m_handlers;
};

class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Identity.
    virtual std::string GetName() const { return m_sName; }
    virtual void SetName(const std::string& name) { m_sName = name; }
    virtual const char* GetClass() const { return "ControlUI"; }
    // Returns the object when it answers that interface name (case-insensitive), else null.
    virtual LPVOID GetInterface(const std::string& name);
    virtual UINT GetControlFlags() const { return 0; }
    virtual HWND GetNativeWindow() const { return nullptr; }

    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const { return m_pManager; }
    virtual void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true);
    virtual CControlUI* GetParent() const { return m_pParent; }
    // Called when the control is attached to a manager for good (InitControls).
    void Init();
    virtual void DoInit() {}

    // Text.
    virtual std::string GetText() const { return m_sText; }
    virtual void SetText(const std::string& text);

    // Background, border and images.
    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD color);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD color);
    DWORD GetBkColor3() const { return m_dwBackColor3; }
    void SetBkColor3(DWORD color);
    bool IsGradientHorizontal() const { return m_bGradientHorizontal; }
    void SetGradientHorizontal(bool horizontal);
    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD color);
    const std::string& GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const std::string& image);
    const std::string& GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const std::string& image);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD color);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD color);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);
    RECT GetBorderRect() const { return m_rcBorderSize; }
    void SetBorderSize(const RECT& rc);
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int GetBorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int style);
    SIZE GetBorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE cxy);
    // Draws an image attribute value into this control's rectangle (see CRenderEngine).
    bool DrawImage(HDC hDC, const std::string& image, const std::string& modify = "");

    // Position and size rules.
    virtual const RECT& GetPos() const { return m_rcItem; }
    virtual RECT GetRelativePos() const;
    virtual RECT GetClientPos() const { return m_rcItem; }
    virtual void SetPos(RECT rc, bool bNeedInvalidate = true);
    virtual void Move(SIZE szOffset, bool bNeedInvalidate = true);
    virtual int GetWidth() const { return m_rcItem.right - m_rcItem.left; }
    virtual int GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
    virtual int GetX() const { return m_rcItem.left; }
    virtual int GetY() const { return m_rcItem.top; }
    virtual RECT GetPadding() const { return m_rcPadding; }
    virtual void SetPadding(RECT rcPadding);
    virtual SIZE GetFixedXY() const { return m_cXY; }
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const { return m_cxyFixed.cx; }
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const { return m_cxyFixed.cy; }
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const { return m_cxyMin.cx; }
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const { return m_cxyMax.cx; }
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const { return m_cxyMin.cy; }
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const { return m_cxyMax.cy; }
    virtual void SetMaxHeight(int cy);
    // Proportional edges of a floating control (left, top, right, bottom in 0..1).
    struct TPercentInfo {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    virtual TPercentInfo GetFloatPercent() const { return m_piFloatPercent; }
    virtual void SetFloatPercent(TPercentInfo info);
    virtual UINT GetFloatAlign() const { return m_uFloatAlign; }
    virtual void SetFloatAlign(UINT align);
    // The size this control wants inside the available size (0 = share the free space).
    virtual SIZE EstimateSize(SIZE szAvailable);

    // Tooltip, shortcut, menu, user data, cursor, virtual window.
    virtual std::string GetToolTip() const { return m_sToolTip; }
    virtual void SetToolTip(const std::string& text);
    virtual int GetToolTipWidth() const { return m_nTooltipWidth; }
    virtual void SetToolTipWidth(int width) { m_nTooltipWidth = width; }
    // The control's place in the keyboard's focus order ("tabindex"; 0: reading order).
    int GetTabIndex() const { return m_iTabIndex; }
    void SetTabIndex(int index) { m_iTabIndex = index; }
    // What a screen reader is told: a role other than the class's ("accrole") and a name other
    // than the one the tree finds ("accname"); empty when the skin gives none.
    const std::string& GetAccRole() const { return m_sAccRole; }
    void SetAccRole(const std::string& role) { m_sAccRole = role; }
    const std::string& GetAccName() const { return m_sAccName; }
    void SetAccName(const std::string& name) { m_sAccName = name; }
    virtual char GetShortcut() const { return m_chShortcut; }
    virtual void SetShortcut(char ch) { m_chShortcut = ch; }
    virtual bool IsContextMenuUsed() const { return m_bMenuUsed; }
    virtual void SetContextMenuUsed(bool used) { m_bMenuUsed = used; }
    virtual const std::string& GetUserData() const { return m_sUserData; }
    virtual void SetUserData(const std::string& text) { m_sUserData = text; }
    virtual UINT_PTR GetTag() const { return m_pTag; }
    virtual void SetTag(UINT_PTR tag) { m_pTag = tag; }
    LPCSTR GetCursor() const { return m_cursor; }
    void SetCursor(LPCSTR cursor) { m_cursor = cursor; }
    // The nearest "virtualwnd" value of this control or its ancestors.
    std::string GetVirtualWnd() const;
    void SetVirtualWnd(const std::string& name);

    // State.
    virtual bool IsVisible() const { return m_bVisible && m_bInternVisible; }
    // The control's own visibility, whatever its parents show.
    bool IsOwnVisible() const { return m_bVisible; }
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enable = true);
    virtual bool IsMouseEnabled() const { return m_bMouseEnabled; }
    virtual void SetMouseEnabled(bool enable = true);
    virtual bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
    virtual void SetKeyboardEnabled(bool enable = true);
    virtual bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();
    // Whether this control is `ancestor` or lies inside it.
    bool IsWithin(const CControlUI* ancestor) const;
    virtual bool IsFloat() const { return m_bFloat; }
    virtual void SetFloat(bool floating = true);
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Drag and drop flags (stored; this toolkit does no OLE drag).
    bool IsDragEnabled() const { return m_bDragEnabled; }
    void SetDragEnable(bool enable) { m_bDragEnabled = enable; }
    bool IsDropEnabled() const { return m_bDropEnabled; }
    void SetDropEnable(bool enable) { m_bDropEnabled = enable; }

    // Searches this control (and, for containers, its subtree) with the UIFIND_ flags.
    virtual CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags);

    // Invalidation and layout requests.
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    void SetUpdateNeeded(bool needed) { m_bUpdateNeeded = needed; }

    // Events: the registered OnEvent handlers run first; DoEvent runs only if all of them
    // answer true. DoEvent answers whether the event was handled (by the control or, for what
    // it passes on, by its parents); false when it reached the root unhandled.
    void Event(TEventUI& event);
    virtual bool DoEvent(TEventUI& event);
    // Hot tracking: UIEVENT_MOUSEENTER on an enabled control (with the mouse inside its
    // rectangle when checkInside) sets UISTATE_HOT in state, UIEVENT_MOUSELEAVE clears it; the
    // control is redrawn when the bit changes. True for those two events.
    bool TrackHotState(const TEventUI& event, UINT& state, bool checkInside = false);
    // A size kept within the control's minimum and maximum (a maximum below the minimum counts
    // as the minimum).
    SIZE ClampToLimits(SIZE size) const;

    // Attributes.
    // Sets an attribute as the skin writes it; those that hold sizes are kept, so that
    // Rescale can read them again when the window's DPI changes.
    void ApplyAttribute(const std::string& name, const std::string& value);
    virtual void Rescale();
    // A size of the skin at the window's DPI (values of 0 and below stay as they are).
    int Scaled(int value) const;
    RECT Scaled(RECT rc) const;
    SIZE Scaled(SIZE size) const;
    virtual void SetAttribute(const std::string& name, const std::string& value);
    void ApplyAttributeList(const std::string& list);
    void AddCustomAttribute(const std::string& name, const std::string& value);
    std::string GetCustomAttribute(const std::string& name) const;
    bool RemoveCustomAttribute(const std::string& name);
    void RemoveAllCustomAttribute() { m_mCustomAttrHash.clear(); }

    // Painting: Paint clips to the control and calls DoPaint, which by default paints the
    // background colour, background image, state images, fore colour/image, text and border.
    void Paint(HDC hDC, const RECT& rcPaint);
    // The control tree painted into a new 32-bit ARGB bitmap, for the window area rc (previews
    // and tests); null without a manager or for an empty area. The caller deletes it.
    HBITMAP PaintToBitmap(const RECT& rc);
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintForeColor(HDC hDC);
    virtual void PaintForeImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    // Painting after the whole tree (controls registered with AddPostPaint).
    virtual void DoPostPaint(HDC /*hDC*/, const RECT& /*rcPaint*/) {}

    // Handlers registered by the application or by composite controls.
    CEventSource OnInit;
    CEventSource OnDestroy;
    CEventSource OnSize;
    CEventSource OnEvent;
    CEventSource OnNotify;

protected:
    // A mouse event (between UIEVENT__MOUSEBEGIN and UIEVENT__MOUSEEND).
    static bool IsMouseEvent(const TEventUI& event) {
        return event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND;
    }
    // A mouse event of a control that takes no mouse input goes to its parent: true when it had
    // one (the caller handles the event itself otherwise).
    bool PassMouseToParent(TEventUI& event);
    // Stores a value that changes how the control looks and repaints it when it changed.
    template <class T>
    void SetLook(T& slot, const T& value) {
        if (slot == value)
            return;
        slot = value;
        Invalidate();
    }
    // The attributes of a control that draws one text: font, text colours, text padding and
    // inline markup. True when `name` was one of them.
    template <class TextControl>
    static bool ApplyTextAttribute(TextControl& control, const std::string& name,
                                   const std::string& value) {
        if (uiparse::EqualsNoCase(name, "font"))
            control.SetFont(uiparse::ParseInt(value, -1, 1000000));
        else if (uiparse::EqualsNoCase(name, "textcolor"))
            control.SetTextColor(uiparse::ParseColor(value));
        else if (uiparse::EqualsNoCase(name, "disabledtextcolor"))
            control.SetDisabledTextColor(uiparse::ParseColor(value));
        else if (uiparse::EqualsNoCase(name, "textpadding"))
            control.SetTextPadding(control.Scaled(uiparse::ParseRect(value)));
        else if (uiparse::EqualsNoCase(name, "showhtml"))
            control.SetShowHtml(uiparse::ParseBool(value));
        else
            return false;
        return true;
    }
    // The state images of a clickable control: normal, hot, pushed, focused and disabled. True
    // when `name` was one of them.
    template <class StateImages>
    static bool ApplyStateImageAttribute(StateImages& control, const std::string& name,
                                         const std::string& value) {
        using Setter = void (StateImages::*)(const std::string&);
        static const std::pair<const char*, Setter> kSetters[] = {
            {"normalimage", &StateImages::SetNormalImage},
            {"hotimage", &StateImages::SetHotImage},
            {"pushedimage", &StateImages::SetPushedImage},
            {"focusedimage", &StateImages::SetFocusedImage},
            {"disabledimage", &StateImages::SetDisabledImage},
        };
        for (const auto& [attribute, set] : kSetters) {
            if (uiparse::EqualsNoCase(name, attribute)) {
                (control.*set)(value);
                return true;
            }
        }
        return false;
    }
    // The first step of a DoEvent: a mouse event of a control that takes no mouse input goes to
    // its parent, or without a parent to `baseHandling` (the base class's DoEvent). True when the
    // event was taken this way.
    template <class BaseHandling>
    bool HandMouseOn(TEventUI& event, BaseHandling&& baseHandling) {
        if (!IsMouseEvent(event) || IsMouseEnabled())
            return false;
        if (!PassMouseToParent(event))
            baseHandling();
        return true;
    }
    // Focus gained or lost: the focus flag follows, and the control is redrawn when asked.
    // True for those two events.
    bool FollowFocus(const TEventUI& event, bool redraw);
    // Step one of every SetAttribute: when the value names a style of the manager, the
    // style's attribute list is applied instead and true is returned. Derived classes call
    // it before matching their own attribute names.
    bool ApplyStyleValue(const std::string& value);
    // Sets the focused and disabled bits of a state image state from this control.
    void SyncStateBits(UINT& state) const;
    // Draws the first of the images that is set and drawable; false when none was.
    bool DrawFirstImage(HDC hDC, std::initializer_list<const std::string*> images);
    // The image of the first state bit, in the order given, that is set in state; null for none.
    static const std::string* StateImage(
        UINT state, std::initializer_list<std::pair<UINT, const std::string*>> imagesByState);

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    std::string m_sVirtualWnd;
    std::string m_sName;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cXY = {0, 0};
    SIZE m_cxyFixed = {0, 0};
    SIZE m_cxyMin = {0, 0};
    SIZE m_cxyMax = {9999, 9999};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    TPercentInfo m_piFloatPercent;
    UINT m_uFloatAlign = 0;
    bool m_bSetPos = false; // guards against re-entrant SetPos
    bool m_bDragEnabled = false;
    bool m_bDropEnabled = false;

    std::string m_sText;
    std::string m_sToolTip;
    char m_chShortcut = 0;
    int m_iTabIndex = 0;
    std::string m_sAccRole;
    std::string m_sAccName;
    std::string m_sUserData;
    UINT_PTR m_pTag = 0;
    int m_nTooltipWidth = 300;
    LPCSTR m_cursor = IDC_ARROW;

    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    bool m_bGradientHorizontal = false;
    DWORD m_dwForeColor = 0;
    std::string m_sBkImage;
    std::string m_sForeImage;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    int m_nBorderSize = 0;
    int m_nBorderStyle = PS_SOLID;
    SIZE m_cxyBorderRound = {0, 0};
    RECT m_rcBorderSize = {0, 0, 0, 0};
    std::vector<std::pair<std::string, std::string>> m_sizeAttributes;
    int m_scaledDpi = 96; // the DPI the kept sizes were last read at
    RECT m_rcPaint = {0, 0, 0, 0};

    std::map<std::string, std::string> m_mCustomAttrHash;
};

// The control as the given control class (or interface), or null when it is none or missing:
// ControlAs<CComboUI>(pm.FindControl("Port")).
template <typename T> T* ControlAs(CControlUI* control) {
    return dynamic_cast<T*>(control);
}

// A control class's GetInterface: the control itself for its own interface name (any case),
// otherwise what its base class answers.
template <typename Base, typename Self>
LPVOID InterfaceOf(Self* self, const std::string& name, const char* own) {
    if (uiparse::EqualsNoCase(name, own))
        return self;
    return self->Base::GetInterface(name);
}
