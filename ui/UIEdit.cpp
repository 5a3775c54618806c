#include "ui/UIEdit.h"
#include "ui/UITextWin.h"

#include "ui/UIManager.h"
#include "ui/UIAccessible.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "ui/UIBase.h"
#include "ui/UIRender.h"

namespace {

// The paint manager reflects a child window's WM_COMMAND and colour messages back to the
// child with this offset.
constexpr UINT kReflectBase = 0x2000;
constexpr UINT kReflectedCommand = kReflectBase + WM_COMMAND;
constexpr UINT kReflectedColorEdit = kReflectBase + WM_CTLCOLOREDIT;
constexpr UINT kReflectedColorStatic = kReflectBase + WM_CTLCOLORSTATIC;

COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Number of characters (UTF-16 units, as the edit window counts them) of a UTF-8 text.
int CharCount(const std::string& text) {
    return int(uitext::Wide(text).size());
}

std::string WindowText(HWND hwnd) {
    return uitext::WindowText(hwnd);
}

} // namespace

// ---- The native edit window -------------------------------------------------------------------

class CEditWnd : public CWindowWnd {
public:
    bool Init(CEditUI* owner);
    RECT CalPos() const;
    // The owner goes away: the window must not call it any more.
    void Detach() { m_pOwner = nullptr; }

protected:
    const char* GetWindowClassName() const override { return "EditWnd"; }
    const char* GetSuperClassName() const override { return "Edit"; }
    void OnFinalMessage(HWND hWnd) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnEditChanged();
    LRESULT OnColor(HDC dc);

    CEditUI* m_pOwner = nullptr;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
};

RECT CEditWnd::CalPos() const {
    RECT rcPos = m_pOwner->GetPos();
    const RECT pad = m_pOwner->GetTextPadding();
    rcPos.left += pad.left;
    rcPos.top += pad.top;
    rcPos.right -= pad.right;
    rcPos.bottom -= pad.bottom;
    CPaintManagerUI* pm = m_pOwner->GetManager();
    const LONG fontHeight = pm ? pm->GetFontHeight(m_pOwner->GetFont()) : 0;
    if (fontHeight > 0 && fontHeight < rcPos.bottom - rcPos.top) {
        rcPos.top += (rcPos.bottom - rcPos.top - fontHeight) / 2;
        rcPos.bottom = rcPos.top + fontHeight;
    }
    // Cut by every ancestor: an edit scrolled out of its container shows no native window.
    for (CControlUI* p = m_pOwner->GetParent(); p != nullptr; p = p->GetParent()) {
        if (!p->IsVisible()) {
            rcPos = RECT{0, 0, 0, 0};
            break;
        }
        RECT rcParent = p->GetClientPos();
        if (!::IntersectRect(&rcPos, &rcPos, &rcParent)) {
            rcPos = RECT{0, 0, 0, 0};
            break;
        }
    }
    return rcPos;
}

bool CEditWnd::Init(CEditUI* owner) {
    m_pOwner = owner;
    CPaintManagerUI* pm = owner->GetManager();
    HWND paint = pm->GetPaintWindow();
    RECT rcPos = CalPos();
    DWORD style = ES_AUTOHSCROLL;
    const UINT textStyle = owner->GetTextStyle();
    if (textStyle & DT_CENTER)
        style |= ES_CENTER;
    else if (textStyle & DT_RIGHT)
        style |= ES_RIGHT;
    if (owner->IsPasswordMode())
        style |= ES_PASSWORD;
    if (pm->IsLayered()) {
        // A layered window shows no child windows: a pop-up at the same place instead.
        POINT topLeft = {rcPos.left, rcPos.top};
        POINT bottomRight = {rcPos.right, rcPos.bottom};
        ::ClientToScreen(paint, &topLeft);
        ::ClientToScreen(paint, &bottomRight);
        rcPos = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        Create(paint, nullptr, style | WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, rcPos);
    } else {
        Create(paint, nullptr, style | WS_CHILD, 0, rcPos);
    }
    if (m_hWnd == nullptr)
        return false;

    HFONT font = pm->GetFont(owner->GetFont());
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(m_hWnd, EM_LIMITTEXT, WPARAM(std::max(owner->GetMaxChar(), 0)), 0);
    if (owner->IsPasswordMode())
        ::SendMessageW(m_hWnd, EM_SETPASSWORDCHAR, WPARAM(BYTE(owner->GetPasswordChar())), 0);
    ::SetWindowTextW(m_hWnd, uitext::Wide(owner->m_sText).c_str());
    ::SendMessageW(m_hWnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageW(m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::EnableWindow(m_hWnd, owner->IsEnabled());
    ::SendMessageW(m_hWnd, EM_SETREADONLY, owner->IsReadOnly(), 0);
    LONG_PTR current = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, current | owner->GetWindowStyles());
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (owner->IsAutoSelAll())
        ::SendMessageW(m_hWnd, EM_SETSEL, 0, std::max(length, 1));
    else
        ::SendMessageW(m_hWnd, EM_SETSEL, length, length);
    m_bInit = true;
    return true;
}

void CEditWnd::OnFinalMessage(HWND) {
    if (m_pOwner != nullptr) {
        m_pOwner->Invalidate();
        if (m_pOwner->m_pWindow == this)
            m_pOwner->m_pWindow = nullptr;
        m_pOwner = nullptr;
    }
    if (m_hBkBrush != nullptr)
        ::DeleteObject(m_hBkBrush);
    delete this;
}

void CEditWnd::OnEditChanged() {
    if (!m_bInit || m_pOwner == nullptr)
        return;
    // The text goes to the owner without a repaint: the native window shows it.
    m_pOwner->m_sText = WindowText(m_hWnd);
    if (CPaintManagerUI* pm = m_pOwner->GetManager()) {
        pm->SendNotify(m_pOwner, "textchanged");
        pm->NotifyAccessible(EVENT_OBJECT_VALUECHANGE, m_pOwner);
    }
}

LRESULT CEditWnd::OnColor(HDC dc) {
    const DWORD bk = m_pOwner->GetNativeEditBkColor();
    if (bk == 0xFFFFFFFF)
        return 0; // system colours
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ToColorRef(m_pOwner->GetNativeEditTextColor()));
    if (m_hBkBrush == nullptr) {
        if ((bk >> 24) == 0xFF) {
            m_hBkBrush = ::CreateSolidBrush(ToColorRef(bk));
        } else {
            // A translucent colour: the control's own painted background as the pattern.
            RECT rcWnd = {};
            ::GetWindowRect(m_hWnd, &rcWnd);
            ::MapWindowPoints(nullptr, m_pOwner->GetManager()->GetPaintWindow(),
                              reinterpret_cast<POINT*>(&rcWnd), 2);
            HBITMAP bmp = m_pOwner->PaintToBitmap(rcWnd);
            if (bmp != nullptr) {
                m_hBkBrush = ::CreatePatternBrush(bmp);
                ::DeleteObject(bmp);
            }
            if (m_hBkBrush == nullptr)
                m_hBkBrush = ::CreateSolidBrush(ToColorRef(bk));
        }
    }
    return reinterpret_cast<LRESULT>(m_hBkBrush);
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_KILLFOCUS: {
        LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        PostMessage(WM_CLOSE);
        return lRes;
    }
    case WM_GETOBJECT:
        // A screen reader that follows the keyboard into this window hears the field as the
        // window's tree names it, not as an unnamed system edit.
        if (LONG(DWORD(lParam)) == OBJID_CLIENT && m_pOwner != nullptr &&
            m_pOwner->GetManager() != nullptr)
            return m_pOwner->GetManager()->Accessible().AnswerGetObject(wParam, m_pOwner);
        break;
    case kReflectedCommand:
        if (GET_WM_COMMAND_CMD(wParam, lParam) == EN_CHANGE)
            OnEditChanged();
        return 0;
    case kReflectedColorEdit:
    case kReflectedColorStatic:
        if (m_pOwner == nullptr)
            return 0;
        return OnColor(reinterpret_cast<HDC>(wParam));
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (m_pOwner != nullptr && m_pOwner->GetManager() != nullptr)
                m_pOwner->GetManager()->SendNotify(m_pOwner, "return");
            return 0;
        }
        // The window's own keys (Ctrl+Tab and Ctrl+PgUp/PgDn change pages; Ctrl+Up/Down move
        // between the rows of a list) go to the window.
        if (::GetKeyState(VK_CONTROL) < 0 &&
            (wParam == VK_TAB || wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_UP ||
             wParam == VK_DOWN)) {
            if (m_pOwner != nullptr && m_pOwner->GetManager() != nullptr)
                ::SendMessageW(m_pOwner->GetManager()->GetPaintWindow(), WM_KEYDOWN, wParam,
                               lParam);
            return 0;
        }
        if (wParam == VK_TAB)
            return 0;
        // Ctrl+A selects the whole text.
        if (wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
            ::SendMessageW(m_hWnd, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_TAB || wParam == 0x01 /* Ctrl+A */)
            return 0; // handled on key-down; the system edit would only beep
        if (m_pOwner != nullptr && m_pOwner->IsHexString() && ::GetKeyState(VK_CONTROL) >= 0) {
            const char c = char(wParam);
            const bool pass = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
                              (c >= 'A' && c <= 'F') || wParam == VK_BACK || c == ' ';
            if (!pass)
                return 0;
        }
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

// ---- The control ------------------------------------------------------------------------------

CEditUI::CEditUI() {
    SetTextPadding(RECT{4, 3, 4, 3});
    SetBkColor(0xFFFFFFFF);
}

CEditUI::~CEditUI() {
    CloseNativeEdit();
}

LPVOID CEditUI::GetInterface(const std::string& name) {
    return InterfaceOf<CLabelUI>(this, name, "Edit");
}

UINT CEditUI::GetControlFlags() const {
    if (!IsEnabled())
        return 0;
    return UIFLAG_SETCURSOR | (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0);
}

HWND CEditUI::GetNativeWindow() const {
    return m_pWindow ? m_pWindow->GetHWND() : nullptr;
}

void CEditUI::OpenNativeEdit() {
    if (m_pWindow != nullptr || m_pManager == nullptr || m_pManager->GetPaintWindow() == nullptr)
        return;
    auto* window = new CEditWnd;
    m_pWindow = window;
    if (!window->Init(this)) {
        m_pWindow = nullptr;
        window->Detach();
        if (window->GetHWND() != nullptr)
            ::DestroyWindow(window->GetHWND()); // its final message deletes it
        else
            delete window;
    }
}

void CEditUI::CloseNativeEdit() {
    if (m_pWindow == nullptr)
        return;
    CEditWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->Detach();
    HWND hwnd = window->GetHWND();
    if (hwnd == nullptr) {
        delete window;
        return;
    }
    if (::GetFocus() == hwnd && m_pManager != nullptr)
        ::SetFocus(m_pManager->GetPaintWindow());
    // Destroyed at once: the window's final message deletes the object.
    ::DestroyWindow(hwnd);
}

void CEditUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    m_uButtonState = enable ? 0 : UISTATE_DISABLED;
    if (m_pWindow != nullptr)
        ::EnableWindow(m_pWindow->GetHWND(), enable);
}

void CEditUI::SetText(const std::string& text) {
    // The same text again changes nothing and reports nothing, so a receiver of
    // "textchanged" that sets the text cannot start a loop.
    if (text == m_sText)
        return;
    m_sText = text;
    if (m_pWindow != nullptr)
        ::SetWindowTextW(m_pWindow->GetHWND(), uitext::Wide(m_sText).c_str());
    Invalidate();
    if (m_pManager != nullptr)
        m_pManager->NotifyAccessible(EVENT_OBJECT_VALUECHANGE, this);
}

void CEditUI::SetMaxChar(int maxChar) {
    m_uMaxChar = std::max(maxChar, 0);
    if (m_pWindow != nullptr)
        ::SendMessageW(m_pWindow->GetHWND(), EM_LIMITTEXT, WPARAM(m_uMaxChar), 0);
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (m_bReadOnly == readOnly)
        return;
    m_bReadOnly = readOnly;
    if (m_pWindow != nullptr)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetPasswordMode(bool password) {
    if (m_bPasswordMode == password)
        return;
    m_bPasswordMode = password;
    Invalidate();
}

void CEditUI::SetPasswordChar(char ch) {
    if (m_cPasswordChar == ch)
        return;
    m_cPasswordChar = ch;
    if (m_pWindow != nullptr)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETPASSWORDCHAR, WPARAM(BYTE(ch)), 0);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    if (numberOnly)
        m_iWindowStyles |= ES_NUMBER;
    else
        m_iWindowStyles &= ~ES_NUMBER;
}

void CEditUI::SetUpperCase(bool upper) {
    if (upper)
        m_iWindowStyles |= ES_UPPERCASE;
    else
        m_iWindowStyles &= ~ES_UPPERCASE;
}

void CEditUI::SetLowerCase(bool lower) {
    if (lower)
        m_iWindowStyles |= ES_LOWERCASE;
    else
        m_iWindowStyles &= ~ES_LOWERCASE;
}

void CEditUI::SetAutoSelAll(bool autoSelAll) {
    m_bAutoSelAll = autoSelAll;
}

void CEditUI::SetHexString(bool hex) {
    m_bHexString = hex;
}

void CEditUI::SetNativeEditTextColor(DWORD color) {
    m_dwEditTextColor = color;
}

void CEditUI::SetNativeEditBkColor(DWORD color) {
    m_dwEditBkColor = color;
}

void CEditUI::SetTipValue(const std::string& text) {
    m_sTipValue = text;
    Invalidate();
}

void CEditUI::SetTipValueColor(DWORD color) {
    m_dwTipValueColor = color;
    Invalidate();
}

void CEditUI::SetSel(long start, long end) {
    if (m_pWindow != nullptr)
        ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, WPARAM(start), LPARAM(end));
}

void CEditUI::SetSelAll() {
    SetSel(0, -1);
}

void CEditUI::SetNormalImage(const std::string& image) {
    m_sNormalImage = image;
    Invalidate();
}
void CEditUI::SetHotImage(const std::string& image) {
    m_sHotImage = image;
    Invalidate();
}
void CEditUI::SetFocusedImage(const std::string& image) {
    m_sFocusedImage = image;
    Invalidate();
}
void CEditUI::SetDisabledImage(const std::string& image) {
    m_sDisabledImage = image;
    Invalidate();
}

void CEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
    CLabelUI::SetPos(rc, bNeedInvalidate);
    if (m_pWindow != nullptr) {
        RECT rcPos = m_pWindow->CalPos();
        ::SetWindowPos(m_pWindow->GetHWND(), nullptr, rcPos.left, rcPos.top,
                       rcPos.right - rcPos.left, rcPos.bottom - rcPos.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::Move(SIZE szOffset, bool bNeedInvalidate) {
    CLabelUI::Move(szOffset, bNeedInvalidate);
    if (m_pWindow != nullptr) {
        RECT rcPos = m_pWindow->CalPos();
        ::SetWindowPos(m_pWindow->GetHWND(), nullptr, rcPos.left, rcPos.top,
                       rcPos.right - rcPos.left, rcPos.bottom - rcPos.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible() && m_pWindow != nullptr && m_pManager != nullptr)
        m_pManager->SetFocus(nullptr);
}

void CEditUI::SetInternVisible(bool visible) {
    CLabelUI::SetInternVisible(visible);
    if (!IsVisible() && m_pWindow != nullptr && m_pManager != nullptr)
        m_pManager->SetFocus(nullptr);
}

bool CEditUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CLabelUI::DoEvent(event); }))
        return true;
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
            return true;
        }
        break;
    case UIEVENT_WINDOWSIZE:
        if (m_pWindow != nullptr && m_pManager != nullptr)
            m_pManager->SetFocusNeeded(this);
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_pWindow != nullptr)
            return true;
        break;
    case UIEVENT_SETFOCUS:
        if (IsEnabled()) {
            m_bFocused = true;
            if (m_pWindow == nullptr)
                OpenNativeEdit();
            // Tabbed into: the text is selected, so that typing replaces it.
            if (m_pWindow != nullptr && m_pManager != nullptr && m_pManager->IsFocusFromTabKey())
                ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, 0, -1);
            Invalidate();
            return true;
        }
        break;
    case UIEVENT_KILLFOCUS:
        if (IsEnabled()) {
            m_bFocused = false;
            Invalidate();
            return true;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
        if (IsEnabled()) {
            if (m_pManager != nullptr)
                m_pManager->ReleaseCapture();
            // The edit's window lost the keyboard (to the click itself) and closes once its
            // posted close arrives: a fresh one takes the click instead.
            if (m_pWindow != nullptr && ::GetFocus() != m_pWindow->GetHWND())
                CloseNativeEdit();
            // The paint manager may still hold the focus here from before (a page switch that
            // focused the field, then the edit's window closed): a click opens it again.
            const bool focused =
                IsFocused() || (m_pManager != nullptr && m_pManager->GetFocus() == this);
            if (focused && m_pWindow == nullptr) {
                m_bFocused = true;
                OpenNativeEdit();
                if (m_pWindow != nullptr && ::PtInRect(&m_rcItem, event.ptMouse)) {
                    int length = ::GetWindowTextLengthW(m_pWindow->GetHWND());
                    ::SendMessageW(m_pWindow->GetHWND(), EM_SETSEL, 0, std::max(length, 1));
                }
            } else if (m_pWindow != nullptr && !m_bAutoSelAll) {
                HWND native = m_pWindow->GetHWND();
                ::SendMessageW(native, EM_SETSEL, 0, 0);
                RECT rcNative = {};
                ::GetWindowRect(native, &rcNative);
                ::MapWindowPoints(nullptr, m_pManager->GetPaintWindow(),
                                  reinterpret_cast<POINT*>(&rcNative), 2);
                POINT pt = {event.ptMouse.x - rcNative.left, event.ptMouse.y - rcNative.top};
                ::SendMessageW(native, WM_LBUTTONDOWN, event.wParam, MAKELPARAM(pt.x, pt.y));
            }
            return true;
        }
        break;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        TrackHotState(event, m_uButtonState, true);
        return true;
    default:
        break;
    }
    return CLabelUI::DoEvent(event);
}

void CEditUI::PaintStatusImage(HDC hDC) {
    SyncStateBits(m_uButtonState);
    const std::string* image = StateImage(m_uButtonState, {{UISTATE_DISABLED, &m_sDisabledImage},
                                                           {UISTATE_FOCUSED, &m_sFocusedImage},
                                                           {UISTATE_HOT, &m_sHotImage}});
    DrawFirstImage(hDC, {image, &m_sNormalImage});
}

void CEditUI::PaintText(HDC hDC) {
    if (m_pManager == nullptr)
        return;
    DWORD textColor = GetTextColor();
    if (textColor == 0)
        textColor = m_pManager->GetDefaultFontColor();
    DWORD disabledColor = GetDisabledTextColor();
    if (disabledColor == 0)
        disabledColor = m_pManager->GetDefaultDisabledColor();

    std::string text = m_sText;
    DWORD color = IsEnabled() ? textColor : disabledColor;
    if (m_sText.empty() || m_sText == m_sTipValue) {
        text = m_sTipValue;
        color = m_dwTipValueColor;
    } else if (m_bPasswordMode) {
        text.assign(size_t(CharCount(m_sText)), m_cPasswordChar);
    }
    if (text.empty())
        return;
    RECT rc = m_rcItem;
    const RECT pad = GetTextPadding();
    rc.left += pad.left;
    rc.top += pad.top;
    rc.right -= pad.right;
    rc.bottom -= pad.bottom;
    CRenderEngine::DrawText(hDC, m_pManager, rc, text, color, GetFont(),
                            DT_SINGLELINE | GetTextStyle());
}

void CEditUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    using uiparse::EqualsNoCase;
    if (EqualsNoCase(name, "readonly"))
        SetReadOnly(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "numberonly"))
        SetNumberOnly(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "hexstring"))
        SetHexString(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "uppercase"))
        SetUpperCase(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "lowercase"))
        SetLowerCase(uiparse::ParseBool(value));
    else if (name == "autoselall")
        SetAutoSelAll(value == "true");
    else if (EqualsNoCase(name, "password"))
        SetPasswordMode(uiparse::ParseBool(value));
    else if (EqualsNoCase(name, "passwordchar"))
        SetPasswordChar(value.empty() ? '*' : value[0]);
    else if (EqualsNoCase(name, "maxchar"))
        SetMaxChar(uiparse::ParseInt(value, 0, 0x7FFFFFFE));
    else if (EqualsNoCase(name, "normalimage"))
        SetNormalImage(value);
    else if (EqualsNoCase(name, "hotimage"))
        SetHotImage(value);
    else if (EqualsNoCase(name, "focusedimage"))
        SetFocusedImage(value);
    else if (EqualsNoCase(name, "disabledimage"))
        SetDisabledImage(value);
    else if (EqualsNoCase(name, "tipvalue"))
        SetTipValue(value);
    else if (EqualsNoCase(name, "tipvaluecolor"))
        SetTipValueColor(uiparse::ParseColor(value));
    else if (EqualsNoCase(name, "nativetextcolor"))
        SetNativeEditTextColor(uiparse::ParseColor(value));
    else if (EqualsNoCase(name, "nativebkcolor"))
        SetNativeEditBkColor(uiparse::ParseColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}
