// The rich edit's text host: the object that the system's text services ("Riched20.dll") ask
// about the window, the caret, timers, scrolling and the character and paragraph formats.
// It speaks for one CRichEditUI and lives as long as its text services.
#pragma once

#include "ui/UIManager.h"
#include "ui/UIRichEdit.h"

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include <string>

// What the control and its host share.
namespace richedit {

// The interface ids of the text services and the text host (the import library of some
// tool chains lacks them).
extern const IID kIID_ITextServices;
extern const IID kIID_ITextHost;

constexpr LONG kHimetricPerInch = 2540;
constexpr LONG kTwipsPerInch = 1440;

inline COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

inline LONG PixelsToHimetric(LONG pixels, LONG perInch) {
    return ::MulDiv(pixels, kHimetricPerInch, perInch);
}

// The program's text (ANSI code page) as the services' UTF-16, and back.
std::wstring ToWide(const std::string& text);
std::string ToAnsi(const wchar_t* text, int length);

} // namespace richedit

class CTxtWinHost final : public ITextHost {
public:
    explicit CTxtWinHost(CRichEditUI* owner) : m_re(owner) {}
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    // Creates the services object; false when the library or its entry point is missing.
    bool Init();
    // Releases the services; the host itself goes when its last reference is released.
    void Shutdown();
    ITextServices* Services() const { return m_ts; }
    bool IsCaptured() const { return m_bCaptured; }

    void SetClientRect(const RECT& rc);
    const RECT& ClientRect() const { return m_rcClient; }
    void ApplyFont(HFONT font);
    void ApplyTextColor(DWORD argb);
    void ApplyParaAlign(LONG style);
    void ChangeBits(DWORD mask);

    // IUnknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, richedit::kIID_ITextHost)) {
            *ppv = static_cast<ITextHost*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_cRefs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_cRefs;
        if (left == 0)
            delete this;
        return left;
    }

    // ITextHost.
    HDC TxGetDC() override { return ::GetDC(Window()); }
    INT TxReleaseDC(HDC hdc) override { return ::ReleaseDC(Window(), hdc); }
    WINBOOL TxShowScrollBar(INT, WINBOOL) override {
        Notify();
        return TRUE;
    }
    WINBOOL TxEnableScrollBar(INT, INT) override {
        Notify();
        return TRUE;
    }
    WINBOOL TxSetScrollRange(INT, LONG, INT, WINBOOL) override {
        Notify();
        return TRUE;
    }
    WINBOOL TxSetScrollPos(INT, INT, WINBOOL) override {
        Notify();
        return TRUE;
    }
    void TxInvalidateRect(LPCRECT, WINBOOL) override {
        if (m_re != nullptr)
            m_re->Invalidate();
    }
    void TxViewChange(WINBOOL) override {}
    WINBOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override {
        return ::CreateCaret(Window(), hbmp, xWidth, yHeight);
    }
    WINBOOL TxShowCaret(WINBOOL fShow) override {
        return fShow ? ::ShowCaret(Window()) : ::HideCaret(Window());
    }
    WINBOOL TxSetCaretPos(INT x, INT y) override { return ::SetCaretPos(x, y); }
    WINBOOL TxSetTimer(UINT idTimer, UINT uTimeout) override {
        CPaintManagerUI* pm = Manager();
        if (pm == nullptr)
            return FALSE;
        pm->KillTimer(m_re, idTimer);
        return pm->SetTimer(m_re, idTimer, uTimeout) ? TRUE : FALSE;
    }
    void TxKillTimer(UINT idTimer) override {
        if (CPaintManagerUI* pm = Manager())
            pm->KillTimer(m_re, idTimer);
    }
    void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {
        if (m_re != nullptr)
            m_re->Invalidate();
    }
    void TxSetCapture(WINBOOL fCapture) override {
        CPaintManagerUI* pm = Manager();
        if (pm == nullptr)
            return;
        if (fCapture)
            pm->SetCapture();
        else
            pm->ReleaseCapture();
        m_bCaptured = fCapture != FALSE;
    }
    void TxSetFocus() override {}
    void TxSetCursor(HCURSOR hcur, WINBOOL) override { ::SetCursor(hcur); }
    WINBOOL TxScreenToClient(LPPOINT lppt) override { return ::ScreenToClient(Window(), lppt); }
    WINBOOL TxClientToScreen(LPPOINT lppt) override { return ::ClientToScreen(Window(), lppt); }
    HRESULT TxActivate(LONG* plOldState) override {
        if (plOldState)
            *plOldState = 0;
        return S_OK;
    }
    HRESULT TxDeactivate(LONG) override { return S_OK; }
    HRESULT TxGetClientRect(LPRECT prc) override {
        *prc = m_rcClient;
        return S_OK;
    }
    HRESULT TxGetViewInset(LPRECT prc) override {
        *prc = RECT{0, 0, 0, 0};
        return S_OK;
    }
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override {
        *ppCF = reinterpret_cast<const CHARFORMATW*>(&m_cf);
        return S_OK;
    }
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override {
        *ppPF = reinterpret_cast<const PARAFORMAT*>(&m_pf);
        return S_OK;
    }
    COLORREF TxGetSysColor(int nIndex) override { return ::GetSysColor(nIndex); }
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override {
        *pstyle = (m_re == nullptr || m_re->IsTransparent()) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
        return S_OK;
    }
    HRESULT TxGetMaxLength(DWORD* plength) override {
        *plength = m_re ? DWORD(std::max(m_re->GetLimitText(), 0)) : 32767;
        return S_OK;
    }
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override {
        const LONG style = m_re ? m_re->GetWinStyle() : 0;
        *pdwScrollBar = DWORD(style) & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                        ES_DISABLENOSCROLL);
        return S_OK;
    }
    // The services pass a wide character slot whatever the header's TCHAR says.
    HRESULT TxGetPasswordChar(TCHAR* pch) override {
        *reinterpret_cast<WCHAR*>(pch) = L'*';
        return S_OK;
    }
    HRESULT TxGetAcceleratorPos(LONG* pcp) override {
        *pcp = -1;
        return S_OK;
    }
    HRESULT TxGetExtent(LPSIZEL lpExtent) override {
        *lpExtent = m_sizelExtent;
        return S_OK;
    }
    HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
    HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override {
        DWORD bits = 0;
        if (m_re != nullptr) {
            const LONG style = m_re->GetWinStyle();
            if (m_re->IsRich())
                bits |= TXTBIT_RICHTEXT;
            if (style & ES_MULTILINE)
                bits |= TXTBIT_MULTILINE;
            if (m_re->IsReadOnly())
                bits |= TXTBIT_READONLY;
            if (style & ES_PASSWORD)
                bits |= TXTBIT_USEPASSWORD;
            if (!(style & ES_NOHIDESEL))
                bits |= TXTBIT_HIDESELECTION;
            // Multi-line text wraps unless it scrolls sideways.
            if ((style & ES_MULTILINE) && !(style & (WS_HSCROLL | ES_AUTOHSCROLL)))
                bits |= TXTBIT_WORDWRAP;
        }
        *pdwBits = bits & dwMask;
        return S_OK;
    }
    HRESULT TxNotify(DWORD iNotify, void* pv) override {
        if (m_re != nullptr)
            m_re->OnTxNotify(iNotify, pv);
        return S_OK;
    }
    HIMC TxImmGetContext() override { return ::ImmGetContext(Window()); }
    void TxImmReleaseContext(HIMC himc) override { ::ImmReleaseContext(Window(), himc); }
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override {
        *lSelBarWidth = 0;
        return S_OK;
    }

private:
    ~CTxtWinHost() = default;
    CPaintManagerUI* Manager() const { return m_re ? m_re->GetManager() : nullptr; }
    HWND Window() const {
        CPaintManagerUI* pm = Manager();
        return pm ? pm->GetPaintWindow() : nullptr;
    }
    void Notify() {
        if (m_re != nullptr)
            m_re->OnTxScrollChange();
    }

    CRichEditUI* m_re;
    ULONG m_cRefs = 1;
    ITextServices* m_ts = nullptr;
    bool m_bCaptured = false;
    RECT m_rcClient = {0, 0, 0, 0};
    SIZEL m_sizelExtent = {0, 0};
    CHARFORMAT2W m_cf = {};
    PARAFORMAT2 m_pf = {};
};
