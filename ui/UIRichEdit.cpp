#include "ui/UIRichEdit.h"
#include "ui/UIRichEditHost.h"

#include "ui/UIManager.h"

#include <imm.h>
#include <windowsx.h>
#include <textserv.h>

#include <algorithm>
#include <vector>

#include "ui/UIParseWin.h"
#include "ui/UIRender.h"
#include "ui/UIScrollBar.h"

namespace {

// Above this many characters SetText starts the text services afresh instead of deleting.
constexpr long kRebuildLength = 2000;

// Commands of the context menu.
constexpr int kCmdUndo = 101;
constexpr int kCmdCut = 102;
constexpr int kCmdCopy = 103;
constexpr int kCmdPaste = 104;
constexpr int kCmdClear = 105;
constexpr int kCmdSelectAll = 106;
constexpr int kCmdRedo = 107;

} // namespace

using richedit::ToAnsi;
using richedit::ToWide;

// ---- The control ------------------------------------------------------------------------------

CRichEditUI::CRichEditUI() {}

CRichEditUI::~CRichEditUI() {
    if (m_pManager != nullptr) {
        m_pManager->RemoveMessageFilter(this);
        m_pManager->KillTimer(this);
    }
    if (m_pTwh != nullptr) {
        CTxtWinHost* host = m_pTwh;
        m_pTwh = nullptr;
        host->Shutdown();
        host->Release();
    }
}

LPVOID CRichEditUI::GetInterface(const std::string& name) {
    return InterfaceOf<CContainerUI>(this, name, "RichEdit");
}

UINT CRichEditUI::GetControlFlags() const {
    if (!IsEnabled())
        return CControlUI::GetControlFlags();
    return UIFLAG_SETCURSOR | UIFLAG_TABSTOP;
}

void CRichEditUI::SetTransparent(bool transparent) {
    m_bTransparent = transparent;
    if (m_pTwh)
        m_pTwh->ChangeBits(TXTBIT_BACKSTYLECHANGE);
}

void CRichEditUI::SetRich(bool rich) {
    m_bRich = rich;
    if (m_pTwh)
        m_pTwh->ChangeBits(TXTBIT_RICHTEXT);
}

void CRichEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    if (m_pTwh)
        m_pTwh->ChangeBits(TXTBIT_READONLY);
}

void CRichEditUI::SetMultiLine(bool multiLine) {
    if (multiLine)
        m_lTwhStyle |= ES_MULTILINE;
    else
        m_lTwhStyle &= ~LONG(ES_MULTILINE);
    if (m_pTwh)
        m_pTwh->ChangeBits(TXTBIT_MULTILINE | TXTBIT_WORDWRAP);
}

void CRichEditUI::SetFont(int index) {
    m_iFont = index;
    if (m_pTwh && m_pManager)
        m_pTwh->ApplyFont(m_pManager->GetFont(m_iFont));
}

void CRichEditUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    if (m_pTwh)
        m_pTwh->ApplyTextColor(color);
}

void CRichEditUI::SetTextPadding(RECT rc) {
    m_rcTextPadding = rc;
    if (m_pTwh)
        m_pTwh->SetClientRect(TextArea());
    Invalidate();
}

void CRichEditUI::SetLimitText(int limit) {
    m_iLimitText = std::max(limit, 0);
    if (m_pTwh) {
        m_pTwh->ChangeBits(TXTBIT_MAXLENGTHCHANGE);
        TxSendMessage(EM_EXLIMITTEXT, 0, m_iLimitText, nullptr);
    }
}

void CRichEditUI::SetTipValue(const std::string& text) {
    m_sTipValue = text;
    Invalidate();
}

void CRichEditUI::SetTipValueColor(DWORD color) {
    m_dwTipValueColor = color;
    Invalidate();
}

void CRichEditUI::SetTipValueAlign(UINT align) {
    m_uTipValueAlign = align;
    Invalidate();
}

void CRichEditUI::SetNormalImage(const std::string& image) {
    m_sNormalImage = image;
    Invalidate();
}
void CRichEditUI::SetHotImage(const std::string& image) {
    m_sHotImage = image;
    Invalidate();
}
void CRichEditUI::SetFocusedImage(const std::string& image) {
    m_sFocusedImage = image;
    Invalidate();
}
void CRichEditUI::SetDisabledImage(const std::string& image) {
    m_sDisabledImage = image;
    Invalidate();
}

// ---- Text ---------------------------------------------------------------------------------------

std::string CRichEditUI::GetText() const {
    if (m_pTwh == nullptr)
        return m_sText;
    GETTEXTLENGTHEX gtl = {GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    LRESULT length = 0;
    TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0, &length);
    if (length <= 0)
        return std::string();
    std::vector<wchar_t> buffer(size_t(length) + 1, L'\0');
    GETTEXTEX gt = {};
    gt.cb = DWORD(buffer.size() * sizeof(wchar_t));
    gt.flags = GT_USECRLF;
    gt.codepage = 1200;
    LRESULT copied = 0;
    TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                  reinterpret_cast<LPARAM>(buffer.data()), &copied);
    copied = std::min<LRESULT>(std::max<LRESULT>(copied, 0), length);
    return ToAnsi(buffer.data(), int(copied));
}

void CRichEditUI::SetText(const std::string& text) {
    if (m_pTwh == nullptr) {
        m_sText = text;
        Invalidate();
        return;
    }
    // The same text again changes nothing and reports nothing.
    if (text == GetText())
        return;
    m_sText = text;
    if (GetTextLength() > kRebuildLength) {
        // Deleting many paragraphs takes the services of some platforms (Wine) time that
        // grows with the square of their number (half a minute for a full log): fresh
        // services with the new text are the same result at once.
        RebuildServices();
    } else {
        SetSel(0, -1);
        ReplaceSel(text, false);
    }
    Invalidate();
}

void CRichEditUI::RebuildServices() {
    const bool focused = IsFocused();
    CTxtWinHost* old = m_pTwh;
    m_pTwh = nullptr;
    if (m_pManager != nullptr) {
        m_pManager->KillTimer(this);
        if (old->IsCaptured())
            m_pManager->ReleaseCapture();
    }
    old->Shutdown();
    old->Release();
    m_bInited = false;
    DoInit(); // puts m_sText in
    if (m_pTwh != nullptr && focused) {
        m_pTwh->Services()->OnTxUIActivate();
        TxSendMessage(WM_SETFOCUS, 0, 0, nullptr);
    }
    OnTxScrollChange();
}

long CRichEditUI::GetTextLength(DWORD flags) const {
    if (m_pTwh == nullptr)
        return long(ToWide(m_sText).size());
    GETTEXTLENGTHEX gtl = {flags, 1200};
    LRESULT length = 0;
    TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gtl), 0, &length);
    return long(length);
}

void CRichEditUI::AppendText(const std::string& text, bool canUndo) {
    if (m_pTwh == nullptr) {
        m_sText += text;
        return;
    }
    // A position past the end puts the insertion point at the very end.
    CHARRANGE end = {LONG_MAX, LONG_MAX};
    ++m_nProgrammatic;
    TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end), nullptr);
    --m_nProgrammatic;
    ReplaceSel(text, canUndo);
}

void CRichEditUI::ReplaceSel(const std::string& text, bool canUndo) {
    if (m_pTwh == nullptr)
        return;
    std::wstring wide = ToWide(text);
    // The services of some platforms (Wine) apply the limit to typing only: cut what would
    // not fit here, so that the text never grows beyond the limit.
    CHARRANGE sel = {0, 0};
    TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel), nullptr);
    const long selected = std::max<long>(0, sel.cpMax - sel.cpMin);
    const long room = std::max<long>(0, m_iLimitText - (GetTextLength() - selected));
    if (long(wide.size()) > room) {
        size_t keep = size_t(room);
        // Never split a surrogate pair or a CR-LF pair.
        if (keep > 0 && keep < wide.size() && wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF)
            --keep;
        if (keep > 0 && keep < wide.size() && wide[keep - 1] == L'\r' && wide[keep] == L'\n')
            --keep;
        wide.resize(keep);
    }
    ++m_nProgrammatic;
    TxSendMessage(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(wide.c_str()),
                  nullptr);
    --m_nProgrammatic;
}

void CRichEditUI::SetSel(long start, long end) {
    CHARRANGE cr = {start, end};
    ++m_nProgrammatic;
    TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr), nullptr);
    --m_nProgrammatic;
}

HRESULT CRichEditUI::TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const {
    if (m_pTwh == nullptr || m_pTwh->Services() == nullptr) {
        if (result)
            *result = 1;
        return S_FALSE;
    }
    if (msg == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        if (!m_bWantReturn || (ctrl && !m_bWantCtrlReturn)) {
            if (m_pManager != nullptr)
                m_pManager->SendNotify(const_cast<CRichEditUI*>(this), "return");
            if (result)
                *result = 0;
            return S_OK;
        }
    }
    LRESULT local = 0;
    return m_pTwh->Services()->TxSendMessage(msg, wParam, lParam, result ? result : &local);
}

// ---- Scrolling
// ------------------------------------------------------------------------------------

SIZE CRichEditUI::GetScrollPos() const {
    SIZE pos = {0, 0};
    if (m_pTwh == nullptr || m_pTwh->Services() == nullptr)
        return pos;
    LONG min = 0, max = 0, position = 0, page = 0;
    WINBOOL enabled = FALSE;
    m_pTwh->Services()->TxGetHScroll(&min, &max, &position, &page, &enabled);
    pos.cx = position;
    m_pTwh->Services()->TxGetVScroll(&min, &max, &position, &page, &enabled);
    pos.cy = position;
    return pos;
}

SIZE CRichEditUI::GetScrollRange() const {
    SIZE range = {0, 0};
    if (m_pTwh == nullptr || m_pTwh->Services() == nullptr)
        return range;
    LONG min = 0, max = 0, position = 0, page = 0;
    WINBOOL enabled = FALSE;
    m_pTwh->Services()->TxGetHScroll(&min, &max, &position, &page, &enabled);
    range.cx = std::max<LONG>(0, max - min - page);
    m_pTwh->Services()->TxGetVScroll(&min, &max, &position, &page, &enabled);
    range.cy = std::max<LONG>(0, max - min - page);
    return range;
}

void CRichEditUI::SetScrollPos(SIZE szPos, bool /*bMsg*/) {
    POINT pt = {std::max<LONG>(szPos.cx, 0), std::max<LONG>(szPos.cy, 0)};
    TxSendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pt), nullptr);
    Invalidate();
}

void CRichEditUI::LineUp() {
    TxSendMessage(WM_VSCROLL, SB_LINEUP, 0, nullptr);
}
void CRichEditUI::LineDown() {
    TxSendMessage(WM_VSCROLL, SB_LINEDOWN, 0, nullptr);
}
void CRichEditUI::PageUp() {
    TxSendMessage(WM_VSCROLL, SB_PAGEUP, 0, nullptr);
}
void CRichEditUI::PageDown() {
    TxSendMessage(WM_VSCROLL, SB_PAGEDOWN, 0, nullptr);
}
void CRichEditUI::HomeUp() {
    TxSendMessage(WM_VSCROLL, SB_TOP, 0, nullptr);
}
void CRichEditUI::EndDown() {
    TxSendMessage(WM_VSCROLL, SB_BOTTOM, 0, nullptr);
    Invalidate();
}
void CRichEditUI::LineLeft() {
    TxSendMessage(WM_HSCROLL, SB_LINELEFT, 0, nullptr);
}
void CRichEditUI::LineRight() {
    TxSendMessage(WM_HSCROLL, SB_LINERIGHT, 0, nullptr);
}
void CRichEditUI::PageLeft() {
    TxSendMessage(WM_HSCROLL, SB_PAGELEFT, 0, nullptr);
}
void CRichEditUI::PageRight() {
    TxSendMessage(WM_HSCROLL, SB_PAGERIGHT, 0, nullptr);
}
void CRichEditUI::HomeLeft() {
    TxSendMessage(WM_HSCROLL, SB_LEFT, 0, nullptr);
}
void CRichEditUI::EndRight() {
    TxSendMessage(WM_HSCROLL, SB_RIGHT, 0, nullptr);
}

// ---- Life cycle, layout, events ---------------------------------------------------------------

RECT CRichEditUI::TextArea() const {
    RECT rc = m_rcItem;
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible())
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    rc.left += m_rcTextPadding.left;
    rc.top += m_rcTextPadding.top;
    rc.right -= m_rcTextPadding.right;
    rc.bottom -= m_rcTextPadding.bottom;
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

void CRichEditUI::DoInit() {
    if (m_bInited || m_pManager == nullptr)
        return;
    m_bInited = true;
    auto* host = new CTxtWinHost(this);
    if (!host->Init()) {
        host->Shutdown();
        host->Release();
        return;
    }
    m_pTwh = host;
    m_pTwh->ApplyFont(m_pManager->GetFont(m_iFont));
    m_pTwh->ApplyTextColor(m_dwTextColor);
    m_pTwh->SetClientRect(TextArea());
    ITextServices* ts = m_pTwh->Services();
    ts->OnTxPropertyBitsChange(TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_READONLY |
                                   TXTBIT_USEPASSWORD | TXTBIT_WORDWRAP | TXTBIT_HIDESELECTION |
                                   TXTBIT_BACKSTYLECHANGE | TXTBIT_MAXLENGTHCHANGE |
                                   TXTBIT_CHARFORMATCHANGE | TXTBIT_PARAFORMATCHANGE,
                               [&] {
                                   DWORD bits = 0;
                                   m_pTwh->TxGetPropertyBits(0xFFFFFFFF, &bits);
                                   return bits;
                               }() |
                                   TXTBIT_BACKSTYLECHANGE | TXTBIT_MAXLENGTHCHANGE |
                                   TXTBIT_CHARFORMATCHANGE | TXTBIT_PARAFORMATCHANGE);
    TxSendMessage(EM_EXLIMITTEXT, 0, m_iLimitText, nullptr);
    TxSendMessage(EM_SETEVENTMASK, 0,
                  ENM_CHANGE | ENM_LINK | ENM_DROPFILES | ENM_PROTECTED | ENM_REQUESTRESIZE,
                  nullptr);
    if (!m_sText.empty()) {
        std::string text = m_sText;
        SetSel(0, -1);
        ReplaceSel(text, false);
    }
    RECT rc = TextArea();
    ts->OnTxInPlaceActivate(&rc);
    m_pManager->AddMessageFilter(this);
}

void CRichEditUI::PlaceScrollBar() {
    if (m_pVerticalScrollBar == nullptr)
        return;
    // Shown for good (the native "vscrollbar" style keeps a disabled bar too), at the right
    // edge inside the border.
    m_pVerticalScrollBar->SetVisible(true);
    const RECT border = GetBorderRect();
    const LONG inset = m_nBorderSize > 0 ? m_nBorderSize : 0;
    RECT rcBar = m_rcItem;
    rcBar.right -= std::max<LONG>(inset, border.right);
    rcBar.left = rcBar.right - m_pVerticalScrollBar->GetFixedWidth();
    rcBar.top += std::max<LONG>(inset, border.top);
    rcBar.bottom -= std::max<LONG>(inset, border.bottom);
    m_pVerticalScrollBar->SetPos(rcBar, false);
}

void CRichEditUI::UpdateClientRect() {
    if (m_pTwh == nullptr)
        return;
    const RECT rc = TextArea();
    if (::EqualRect(&rc, &m_pTwh->ClientRect()))
        return; // an unchanged view would only make the services work again
    m_pTwh->SetClientRect(rc);
}

void CRichEditUI::SetPos(RECT rc, bool bNeedInvalidate) {
    // A view showing its end (a log following what arrives) still shows it at its new size.
    const SIZE range = GetScrollRange(), at = GetScrollPos();
    const bool atEnd = range.cy > 0 && at.cy >= range.cy;
    const bool resized = rc.right - rc.left != m_rcItem.right - m_rcItem.left ||
                         rc.bottom - rc.top != m_rcItem.bottom - m_rcItem.top;
    CControlUI::SetPos(rc, bNeedInvalidate);
    PlaceScrollBar();
    UpdateClientRect();
    OnTxScrollChange();
    if (atEnd && resized)
        EndDown();
}

void CRichEditUI::Move(SIZE szOffset, bool bNeedInvalidate) {
    CControlUI::Move(szOffset, bNeedInvalidate);
    PlaceScrollBar();
    UpdateClientRect();
}

void CRichEditUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!enable && m_pTwh && m_pTwh->IsCaptured() && m_pManager)
        m_pManager->ReleaseCapture();
}

SIZE CRichEditUI::EstimateSize(SIZE szAvailable) {
    return CControlUI::EstimateSize(szAvailable);
}

bool CRichEditUI::DoEvent(TEventUI& event) {
    if (HandMouseOn(event, [&] { CContainerUI::DoEvent(event); }))
        return true;
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        // The services set the cursor through the message filter; the I-beam otherwise.
        ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
        return true;
    case UIEVENT_SETFOCUS:
        if (m_pTwh) {
            m_pTwh->Services()->OnTxUIActivate();
            TxSendMessage(WM_SETFOCUS, 0, 0, nullptr);
        }
        m_bFocused = true;
        Invalidate();
        return true;
    case UIEVENT_KILLFOCUS:
        if (m_pTwh) {
            m_pTwh->Services()->OnTxUIDeactivate();
            TxSendMessage(WM_KILLFOCUS, 0, 0, nullptr);
        }
        m_bFocused = false;
        Invalidate();
        return true;
    case UIEVENT_TIMER:
        if (m_pTwh)
            TxSendMessage(WM_TIMER, event.wParam, event.lParam, nullptr);
        return true;
    case UIEVENT_WINDOWSIZE:
        UpdateClientRect();
        return true;
    case UIEVENT_SCROLLWHEEL:
        if (event.wKeyState & UIKEY_CONTROL)
            return true; // zoom is handled by the services through the filter
        if (event.wParam == 0) {
            for (int i = 0; i < 3; ++i)
                LineUp();
        } else {
            for (int i = 0; i < 3; ++i)
                LineDown();
        }
        Invalidate();
        return true;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_bHot = true;
            Invalidate();
        }
        return true;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_bHot = false;
            Invalidate();
        }
        return true;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_BUTTONUP:
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_RBUTTONUP:
    case UIEVENT_CONTEXTMENU:
    case UIEVENT_KEYDOWN:
    case UIEVENT_KEYUP:
    case UIEVENT_CHAR:
        // The services got these through the message filter already.
        return true;
    default:
        break;
    }
    return CContainerUI::DoEvent(event);
}

void CRichEditUI::PaintStatusImage(HDC hDC) {
    const UINT state = (IsEnabled() ? 0 : UISTATE_DISABLED) | (IsFocused() ? UISTATE_FOCUSED : 0) |
                       (m_bHot ? UISTATE_HOT : 0);
    const std::string* image = StateImage(state, {{UISTATE_DISABLED, &m_sDisabledImage},
                                                  {UISTATE_FOCUSED, &m_sFocusedImage},
                                                  {UISTATE_HOT, &m_sHotImage}});
    DrawFirstImage(hDC, {image, &m_sNormalImage});
}

void CRichEditUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT area = {};
    if (!::IntersectRect(&area, &rcPaint, &m_rcItem))
        return;
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintBorder(hDC);
    if (m_pTwh != nullptr && m_pTwh->Services() != nullptr) {
        RECT rcText = TextArea();
        RECTL bounds = {rcText.left, rcText.top, rcText.right, rcText.bottom};
        RECT update = area;
        m_pTwh->Services()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hDC, nullptr, &bounds,
                                   nullptr, &update, nullptr, 0, TXTVIEW_ACTIVE);
    }
    if (!m_sTipValue.empty() && !IsFocused() && GetTextLength() == 0) {
        RECT rcText = TextArea();
        CRenderEngine::DrawText(hDC, m_pManager, rcText, m_sTipValue, m_dwTipValueColor, m_iFont,
                                m_uTipValueAlign);
    }
    // Children and the toolkit's scroll bar over the text.
    for (CControlUI* child : m_items)
        if (child != nullptr && child->IsVisible())
            child->Paint(hDC, rcPaint);
    if (m_pVerticalScrollBar != nullptr && m_pVerticalScrollBar->IsVisible())
        m_pVerticalScrollBar->Paint(hDC, rcPaint);
}

void CRichEditUI::OnTxNotify(DWORD iNotify, void* pv) {
    if (iNotify == EN_CHANGE) {
        if (m_nProgrammatic == 0 && m_pManager != nullptr)
            m_pManager->SendNotify(this, "textchanged");
        return;
    }
    if (pv == nullptr || m_pManager == nullptr)
        return;
    switch (iNotify) {
    case EN_DROPFILES:
    case EN_MSGFILTER:
    case EN_OLEOPFAILED:
    case EN_PROTECTED:
    case EN_SAVECLIPBOARD:
    case EN_SELCHANGE:
    case EN_STOPNOUNDO:
    case EN_LINK:
    case EN_OBJECTPOSITIONS:
    case EN_DRAGDROPDONE: {
        HWND hwnd = m_pManager->GetPaintWindow();
        auto* hdr = static_cast<NMHDR*>(pv);
        hdr->hwndFrom = hwnd;
        hdr->idFrom = UINT_PTR(::GetWindowLongPtrA(hwnd, GWLP_ID));
        hdr->code = iNotify;
        ::SendMessageA(hwnd, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
        break;
    }
    default:
        break;
    }
}

void CRichEditUI::OnTxScrollChange() {
    Invalidate();
    // The toolkit's scroll bar follows the services' view (range and position only: the bar
    // stays where it is, so nothing is laid out again from inside the services).
    if (m_pVerticalScrollBar == nullptr || m_pTwh == nullptr || m_pTwh->Services() == nullptr)
        return;
    LONG min = 0, max = 0, pos = 0, page = 0;
    WINBOOL enabled = FALSE;
    m_pTwh->Services()->TxGetVScroll(&min, &max, &pos, &page, &enabled);
    const int range = int(std::max<LONG>(0, max - min - page));
    if (m_pVerticalScrollBar->GetScrollRange() != range)
        m_pVerticalScrollBar->SetScrollRange(range);
    if (m_pVerticalScrollBar->GetScrollPos() != pos - min)
        m_pVerticalScrollBar->SetScrollPos(int(pos - min));
}

void CRichEditUI::SetExtraMenu(std::vector<ExtraMenuItem> items, std::function<void(int)> run) {
    m_extraMenu = std::move(items);
    m_runExtra = std::move(run);
}

void CRichEditUI::SetExtraMenuChecked(int id, bool checked) {
    for (ExtraMenuItem& item : m_extraMenu)
        if (item.id == id)
            item.checked = checked;
}

void CRichEditUI::RunMenuCommand(int id) {
    if (id >= kFirstExtraCommand) {
        if (m_runExtra)
            m_runExtra(id);
        return;
    }
    if (!IsFocused())
        return;
    switch (id) {
    case kCmdUndo:
        TxSendMessage(WM_UNDO, 0, 0, nullptr);
        break;
    case kCmdCut:
        TxSendMessage(WM_CUT, 0, 0, nullptr);
        break;
    case kCmdCopy:
        TxSendMessage(WM_COPY, 0, 0, nullptr);
        break;
    case kCmdPaste:
        TxSendMessage(WM_PASTE, 0, 0, nullptr);
        break;
    case kCmdClear:
        TxSendMessage(WM_CLEAR, 0, 0, nullptr);
        break;
    case kCmdSelectAll:
        SetSelAll();
        break;
    case kCmdRedo:
        TxSendMessage(EM_REDO, 0, 0, nullptr);
        break;
    default:
        break;
    }
}

void CRichEditUI::SetContextMenuTexts(const std::string& copy, const std::string& clear,
                                      const std::string& selectAll) {
    m_sMenuCopy = copy;
    m_sMenuClear = clear;
    m_sMenuSelectAll = selectAll;
}

HMENU CRichEditUI::BuildContextMenu() const {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr)
        return nullptr;
    auto item = [menu](int id, const std::string& text, const wchar_t* builtIn) {
        ::AppendMenuW(menu, MF_STRING, UINT_PTR(id), text.empty() ? builtIn : ToWide(text).c_str());
    };
    item(kCmdCopy, m_sMenuCopy, L"\u590D\u5236(&C)");
    item(kCmdClear, m_sMenuClear, L"\u6E05\u7A7A(&L)");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    item(kCmdSelectAll, m_sMenuSelectAll, L"\u5168\u9009(&A)");
    if (!m_extraMenu.empty())
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (const ExtraMenuItem& extra : m_extraMenu)
        ::AppendMenuW(menu, MF_STRING | (extra.checked ? MF_CHECKED : MF_UNCHECKED),
                      UINT_PTR(extra.id), ToWide(extra.text).c_str());
    return menu;
}

void CRichEditUI::ShowContextMenu(POINT ptScreen) {
    HMENU menu = BuildContextMenu();
    if (menu == nullptr)
        return;
    const int id = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, ptScreen.x,
                                    ptScreen.y, 0, m_pManager->GetPaintWindow(), nullptr);
    ::DestroyMenu(menu);
    RunMenuCommand(id);
}

LRESULT CRichEditUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    bHandled = false;
    if (m_pTwh == nullptr || m_pManager == nullptr || !IsVisible() || !IsEnabled())
        return 0;
    HWND hwnd = m_pManager->GetPaintWindow();
    const bool captured = m_pTwh->IsCaptured();

    if (uMsg == WM_SETCURSOR) {
        if (LOWORD(lParam) != HTCLIENT)
            return 0;
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(hwnd, &pt);
        if (!captured && (!::PtInRect(&m_rcItem, pt) || m_pManager->FindControl(pt) != this))
            return 0;
        RECT rcText = TextArea();
        if (::PtInRect(&rcText, pt)) {
            HDC dc = ::GetDC(hwnd);
            m_pTwh->Services()->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, dc, nullptr,
                                              &rcText, pt.x, pt.y);
            ::ReleaseDC(hwnd, dc);
        } else {
            ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
        }
        bHandled = true;
        return TRUE;
    }

    if (uMsg == WM_CONTEXTMENU) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        POINT ptClient = pt;
        ::ScreenToClient(hwnd, &ptClient);
        if (!::PtInRect(&m_rcItem, ptClient) || m_pManager->FindControl(ptClient) != this)
            return 0;
        if (!IsFocused())
            SetFocus();
        ShowContextMenu(pt);
        bHandled = true;
        return 0;
    }

    if (uMsg == WM_MOUSEWHEEL) {
        // Only the zoom (Ctrl held) goes to the services; plain wheel turns scroll the view
        // through the toolkit's own event.
        if ((LOWORD(wParam) & MK_CONTROL) == 0)
            return 0;
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(hwnd, &pt);
        if (!::PtInRect(&m_rcItem, pt))
            return 0;
        TxSendMessage(uMsg, wParam, lParam, nullptr);
        bHandled = true;
        return 0;
    }

    if (uMsg >= WM_MOUSEFIRST && uMsg <= WM_MOUSELAST) {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (!captured) {
            if (!::PtInRect(&m_rcItem, pt))
                return 0;
            if (m_pManager->FindControl(pt) != this)
                return 0;
        }
        const bool press = uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK ||
                           uMsg == WM_RBUTTONDOWN || uMsg == WM_MBUTTONDOWN;
        if (press) {
            if (!m_pManager->IsNoActivate())
                ::SetFocus(hwnd);
            if (!IsFocused())
                SetFocus();
        }
        LRESULT result = 0;
        TxSendMessage(uMsg, wParam, lParam, &result);
        // Let the manager see the mouse too (hover, click tracking) unless the services hold
        // it for a selection drag.
        bHandled = captured && uMsg != WM_LBUTTONUP;
        return result;
    }

    if ((uMsg == WM_IME_STARTCOMPOSITION || uMsg == WM_IME_COMPOSITION) &&
        m_pManager->GetFocus() == this) {
        // The input method's composition window goes where the caret is.
        if (HIMC imc = ::ImmGetContext(hwnd)) {
            COMPOSITIONFORM form = {};
            form.dwStyle = CFS_POINT;
            ::GetCaretPos(&form.ptCurrentPos);
            ::ImmSetCompositionWindow(imc, &form);
            ::ImmReleaseContext(hwnd, imc);
        }
        return 0; // the default handling goes on
    }

    const bool key =
        (uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) || uMsg == WM_CHAR || uMsg == WM_IME_CHAR;
    if (!key)
        return 0;
    if (m_pManager->GetFocus() != this)
        return 0;
    if (uMsg == WM_SYSKEYDOWN || uMsg == WM_SYSKEYUP || uMsg == WM_SYSCHAR)
        return 0;
    if ((uMsg == WM_KEYDOWN || uMsg == WM_KEYUP) && wParam == VK_TAB && !m_bWantTab)
        return 0;
    if (uMsg == WM_CHAR && wParam == '\t' && !m_bWantTab)
        return 0;
    if (uMsg == WM_IME_CHAR)
        return 0; // the default handling turns it into characters

    if (uMsg == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        m_bSwallowReturnChar = !m_bWantReturn || (ctrl && !m_bWantCtrlReturn);
    }
    if (uMsg == WM_CHAR && (wParam == '\r' || wParam == '\n') && m_bSwallowReturnChar) {
        m_bSwallowReturnChar = false;
        bHandled = true;
        return 0;
    }

    LRESULT result = 0;
    TxSendMessage(uMsg, wParam, lParam, &result);
    bHandled = true;
    return result;
}

void CRichEditUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ApplyStyleValue(value))
        return;
    const bool isTrue = value == "true";
    const bool isFalse = value == "false";
    if (name == "vscrollbar") {
        if (isTrue)
            m_lTwhStyle |= ES_DISABLENOSCROLL | WS_VSCROLL;
        CContainerUI::SetAttribute(name, value);
    } else if (name == "hscrollbar") {
        if (isTrue)
            m_lTwhStyle |= ES_DISABLENOSCROLL | WS_HSCROLL;
        CContainerUI::SetAttribute(name, value);
    } else if (name == "autovscroll") {
        if (isTrue)
            m_lTwhStyle |= ES_AUTOVSCROLL;
    } else if (name == "autohscroll") {
        if (isTrue)
            m_lTwhStyle |= ES_AUTOHSCROLL;
    } else if (uiparse::EqualsNoCase(name, "multiline")) {
        SetMultiLine(!isFalse && uiparse::ParseBool(value));
    } else if (name == "wanttab") {
        SetWantTab(isTrue);
    } else if (name == "wantreturn") {
        SetWantReturn(isTrue);
    } else if (name == "wantctrlreturn") {
        SetWantCtrlReturn(isTrue);
    } else if (name == "transparent") {
        SetTransparent(isTrue);
    } else if (name == "rich") {
        SetRich(isTrue);
    } else if (name == "readonly") {
        if (isTrue) {
            m_lTwhStyle |= ES_READONLY;
            SetReadOnly(true);
        }
    } else if (name == "password") {
        if (isTrue)
            m_lTwhStyle |= ES_PASSWORD;
    } else if (name == "align") {
        m_lTwhStyle &= ~LONG(ES_LEFT | ES_CENTER | ES_RIGHT);
        if (value.find("center") != std::string::npos)
            m_lTwhStyle |= ES_CENTER;
        else if (value.find("right") != std::string::npos)
            m_lTwhStyle |= ES_RIGHT;
        else
            m_lTwhStyle |= ES_LEFT;
        if (m_pTwh)
            m_pTwh->ApplyParaAlign(m_lTwhStyle);
    } else if (name == "font") {
        SetFont(uiparse::ParseInt(value, -1));
    } else if (name == "textcolor") {
        SetTextColor(uiparse::ParseColor(value));
    } else if (uiparse::EqualsNoCase(name, "maxchar")) {
        SetLimitText(uiparse::ParseInt(value, 0, 0x7FFFFFFF));
    } else if (uiparse::EqualsNoCase(name, "normalimage")) {
        SetNormalImage(value);
    } else if (uiparse::EqualsNoCase(name, "hotimage")) {
        SetHotImage(value);
    } else if (uiparse::EqualsNoCase(name, "focusedimage")) {
        SetFocusedImage(value);
    } else if (uiparse::EqualsNoCase(name, "disabledimage")) {
        SetDisabledImage(value);
    } else if (uiparse::EqualsNoCase(name, "textpadding")) {
        SetTextPadding(Scaled(uiparse::ParseRect(value)));
    } else if (uiparse::EqualsNoCase(name, "tipvalue")) {
        SetTipValue(value);
    } else if (uiparse::EqualsNoCase(name, "tipvaluecolor")) {
        SetTipValueColor(uiparse::ParseColor(value));
    } else if (uiparse::EqualsNoCase(name, "tipvaluealign")) {
        UINT align = DT_SINGLELINE;
        if (value.find("center") != std::string::npos)
            align |= DT_CENTER;
        else if (value.find("right") != std::string::npos)
            align |= DT_RIGHT;
        else
            align |= DT_LEFT;
        SetTipValueAlign(align);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CRichEditUI::Rescale() {
    CContainerUI::Rescale();
    if (m_pTwh != nullptr && m_pManager != nullptr)
        m_pTwh->ApplyFont(m_pManager->GetFont(m_iFont));
}
