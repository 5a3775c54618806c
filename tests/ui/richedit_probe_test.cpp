// A probe of the windowless rich edit of "Riched20.dll" under Wine, before the rich edit control
// is built on it: text services created through CreateTextServices with a text host of our
// own, drawn into a memory device context, filled past 32767 characters after the limit was
// raised to 300000, scrolled to the end, and reporting its changes through TxNotify.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "support/wintest.h"

namespace {

// The interface ids are data exports of the library; these are their values, in case an
// export is missing.
const IID kIidITextServices = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
const IID kIidITextHost = {
    0x13e670f4, 0x1a5a, 0x11cf, {0xab, 0xeb, 0x00, 0xaa, 0x00, 0xb6, 0x5e, 0xa1}};

using CreateTextServicesFn = HRESULT(WINAPI*)(IUnknown*, ITextHost*, IUnknown**);

// The smallest useful text host: a fixed client rectangle, one character format, multi-line
// rich text with a vertical scroll bar, and a record of what the text services tell it.
class CProbeHost : public ITextHost {
public:
    CProbeHost(HWND hwnd, RECT rc) : m_hwnd(hwnd), m_rc(rc) {
        std::memset(&m_cf, 0, sizeof(m_cf));
        m_cf.cbSize = sizeof(m_cf);
        m_cf.dwMask = CFM_SIZE | CFM_FACE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC |
                      CFM_UNDERLINE | CFM_OFFSET | CFM_PROTECTED | CFM_STRIKEOUT;
        m_cf.yHeight = 9 * 20; // twips
        m_cf.crTextColor = RGB(0, 0, 0);
        m_cf.bCharSet = DEFAULT_CHARSET;
        wcscpy(m_cf.szFaceName, L"Tahoma");
        std::memset(&m_pf, 0, sizeof(m_pf));
        m_pf.cbSize = sizeof(m_pf);
        m_pf.dwMask = PFM_ALL;
        m_pf.wAlignment = PFA_LEFT;
        m_pf.cTabCount = 1;
        m_pf.rgxTabs[0] = lDefaultTab;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidITextHost)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_ref; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_ref; }

    // ITextHost
    HDC TxGetDC() override { return ::GetDC(m_hwnd); }
    INT TxReleaseDC(HDC hdc) override { return ::ReleaseDC(m_hwnd, hdc); }
    WINBOOL TxShowScrollBar(INT, WINBOOL) override { return TRUE; }
    WINBOOL TxEnableScrollBar(INT, INT) override { return TRUE; }
    WINBOOL TxSetScrollRange(INT, LONG, INT, WINBOOL) override { return TRUE; }
    WINBOOL TxSetScrollPos(INT, INT, WINBOOL) override { return TRUE; }
    void TxInvalidateRect(LPCRECT, WINBOOL) override { ++invalidations; }
    void TxViewChange(WINBOOL) override {}
    WINBOOL TxCreateCaret(HBITMAP, INT, INT) override { return TRUE; }
    WINBOOL TxShowCaret(WINBOOL) override { return TRUE; }
    WINBOOL TxSetCaretPos(INT, INT) override { return TRUE; }
    WINBOOL TxSetTimer(UINT, UINT) override { return TRUE; }
    void TxKillTimer(UINT) override {}
    void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
    void TxSetCapture(WINBOOL) override {}
    void TxSetFocus() override {}
    void TxSetCursor(HCURSOR hcur, WINBOOL) override { ::SetCursor(hcur); }
    WINBOOL TxScreenToClient(LPPOINT lppt) override { return ::ScreenToClient(m_hwnd, lppt); }
    WINBOOL TxClientToScreen(LPPOINT lppt) override { return ::ClientToScreen(m_hwnd, lppt); }
    HRESULT TxActivate(LONG* plOldState) override {
        *plOldState = 0;
        return S_OK;
    }
    HRESULT TxDeactivate(LONG) override { return S_OK; }
    HRESULT TxGetClientRect(LPRECT prc) override {
        *prc = m_rc;
        return S_OK;
    }
    HRESULT TxGetViewInset(LPRECT prc) override {
        *prc = RECT{0, 0, 0, 0};
        return S_OK;
    }
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override {
        *ppCF = &m_cf;
        return S_OK;
    }
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override {
        *ppPF = &m_pf;
        return S_OK;
    }
    COLORREF TxGetSysColor(int nIndex) override { return ::GetSysColor(nIndex); }
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override {
        *pstyle = TXTBACK_OPAQUE;
        return S_OK;
    }
    HRESULT TxGetMaxLength(DWORD* plength) override {
        *plength = maxLength;
        return S_OK;
    }
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override {
        *pdwScrollBar = WS_VSCROLL | ES_AUTOVSCROLL | ES_DISABLENOSCROLL;
        return S_OK;
    }
    HRESULT TxGetPasswordChar(TCHAR* pch) override {
        *pch = 0;
        return S_FALSE;
    }
    HRESULT TxGetAcceleratorPos(LONG* pcp) override {
        *pcp = -1;
        return S_OK;
    }
    HRESULT TxGetExtent(LPSIZEL) override { return E_NOTIMPL; }
    HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
    HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override {
        *pdwBits = (TXTBIT_MULTILINE | TXTBIT_RICHTEXT | TXTBIT_WORDWRAP) & dwMask;
        return S_OK;
    }
    HRESULT TxNotify(DWORD iNotify, void*) override {
        notifications.push_back(iNotify);
        return S_OK;
    }
    HIMC TxImmGetContext() override { return nullptr; }
    void TxImmReleaseContext(HIMC) override {}
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override {
        *lSelBarWidth = 0;
        return S_OK;
    }

    DWORD maxLength = 32767;
    std::vector<DWORD> notifications;
    int invalidations = 0;

private:
    HWND m_hwnd;
    RECT m_rc;
    CHARFORMATW m_cf;
    PARAFORMAT2 m_pf;
    ULONG m_ref = 1;
};

class RichEditProbe : public ::testing::Test {
protected:
    void SetUp() override {
        module = ::LoadLibraryA("Riched20.dll");
        ASSERT_NE(nullptr, module);
        auto create = reinterpret_cast<CreateTextServicesFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "CreateTextServices")));
        ASSERT_NE(nullptr, create);
        const IID* iid =
            reinterpret_cast<const IID*>(::GetProcAddress(module, "IID_ITextServices"));
        iidExported = iid != nullptr;
        hwnd = ::CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        host = std::make_unique<CProbeHost>(hwnd, RECT{0, 0, 400, 200});
        IUnknown* unknown = nullptr;
        ASSERT_EQ(S_OK, create(nullptr, host.get(), &unknown));
        ASSERT_NE(nullptr, unknown);
        ASSERT_EQ(S_OK, unknown->QueryInterface(iid ? *iid : kIidITextServices,
                                                reinterpret_cast<void**>(&services)));
        unknown->Release();
        RECT rc = {0, 0, 400, 200};
        services->OnTxInPlaceActivate(&rc);
    }
    void TearDown() override {
        if (services)
            services->Release();
        if (hwnd)
            ::DestroyWindow(hwnd);
    }

    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        LRESULT result = 0;
        services->TxSendMessage(msg, wParam, lParam, &result);
        return result;
    }
    LRESULT Length() { return Send(WM_GETTEXTLENGTH, 0, 0); }
    void Append(const std::wstring& text) {
        Send(EM_SETSEL, WPARAM(-1), LPARAM(-1));
        Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }

    HMODULE module = nullptr;
    bool iidExported = false;
    HWND hwnd = nullptr;
    std::unique_ptr<CProbeHost> host;
    ITextServices* services = nullptr;
};

} // namespace

TEST_F(RichEditProbe, DrawsIntoAMemoryDeviceContext) {
    services->TxSetText(L"Windowless rich edit probe: the quick brown fox");
    EXPECT_EQ(47, Length());
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = 400;
    bmi.bmiHeader.biHeight = -200;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, dib);
    RECT all = {0, 0, 400, 200};
    ::FillRect(memory, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    RECTL bounds = {0, 0, 400, 200};
    HRESULT hr = services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, memory, nullptr, &bounds,
                                  nullptr, &all, nullptr, 0, TXTVIEW_INACTIVE);
    EXPECT_EQ(S_OK, hr);
    ::GdiFlush();
    // Some pixels of the first line are dark: the text was drawn.
    const auto* px = static_cast<const unsigned*>(bits);
    int dark = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 400; ++x)
            dark += (px[y * 400 + x] & 0xFF) < 0x80;
    EXPECT_GT(dark, 50);
    wintest::Capture cap;
    cap.width = 400;
    cap.height = 200;
    cap.pixels.assign(px, px + 400 * 200);
    wintest::SaveBmp(cap, wintest::ArtifactsDir() + "\\richedit_probe.bmp");
    ::SelectObject(memory, old);
    ::DeleteObject(dib);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    printf("probe: IID_ITextServices exported by the library: %s\n", iidExported ? "yes" : "no");
}

TEST_F(RichEditProbe, GrowsPast32767CharactersOnceTheLimitIsRaised) {
    const std::wstring line(99, L'x');
    printf("probe: limit before raising: %ld\n", long(Send(EM_GETLIMITTEXT, 0, 0)));
    // Raised to 300000 by the message, and by the host reporting the new length.
    Send(EM_EXLIMITTEXT, 0, 300000);
    host->maxLength = 300000;
    services->OnTxPropertyBitsChange(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
    EXPECT_EQ(300000, Send(EM_GETLIMITTEXT, 0, 0));
    for (int i = 0; i < 1200; ++i)
        Append(line + L"\r");
    const LRESULT grown = Length();
    EXPECT_GT(grown, 32767);
    printf("probe: after raising the limit: %ld characters\n", long(grown));
    // Whether the limit also stops EM_REPLACESEL: Windows does, Wine's text services do not,
    // so the log view checks the length itself before it appends (and empties the view).
    for (int i = 0; i < 2000; ++i)
        Append(line + L"\r");
    printf("probe: after appending 320000 characters: %ld (limit %s)\n", long(Length()),
           Length() <= 300000 ? "enforced" : "not enforced");
    // Emptying and starting again works at that size.
    services->TxSetText(L"");
    EXPECT_EQ(0, Length());
    Append(L"again");
    EXPECT_EQ(5, Length());
}

TEST_F(RichEditProbe, ScrollsToTheEndAndReportsChanges) {
    Send(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_UPDATE | ENM_SELCHANGE);
    host->notifications.clear();
    for (int i = 0; i < 200; ++i)
        Append(L"line " + std::to_wstring(i) + L"\r");
    const bool changed = std::find(host->notifications.begin(), host->notifications.end(),
                                   DWORD(EN_CHANGE)) != host->notifications.end();
    printf("probe: %zu notifications, EN_CHANGE %s\n", host->notifications.size(),
           changed ? "seen" : "not seen");
    EXPECT_FALSE(host->notifications.empty());

    LONG minPos = 0, maxPos = 0, pos = 0, page = 0;
    BOOL enabled = FALSE;
    services->TxGetVScroll(&minPos, &maxPos, &pos, &page, &enabled);
    printf("probe: before scrolling: range %ld..%ld page %ld pos %ld enabled %d\n", minPos, maxPos,
           page, pos, enabled);
    // Appending at the end already kept the end in view; from the top, SB_BOTTOM goes back.
    Send(WM_VSCROLL, SB_TOP, 0);
    services->TxGetVScroll(&minPos, &maxPos, &pos, &page, &enabled);
    EXPECT_EQ(0, pos);
    Send(WM_VSCROLL, SB_BOTTOM, 0);
    services->TxGetVScroll(&minPos, &maxPos, &pos, &page, &enabled);
    printf("probe: after SB_BOTTOM: range %ld..%ld page %ld pos %ld\n", minPos, maxPos, page, pos);
    EXPECT_GT(maxPos, page);
    EXPECT_GE(pos, maxPos - page - 20);
    // The caret at the end scrolls too: EM_SCROLLCARET after selecting the end.
    Send(WM_VSCROLL, SB_TOP, 0);
    Send(EM_SETSEL, WPARAM(-1), LPARAM(-1));
    Send(EM_SCROLLCARET, 0, 0);
    LONG caretPos = 0;
    services->TxGetVScroll(&minPos, &maxPos, &caretPos, &page, &enabled);
    printf("probe: after EM_SCROLLCARET at the end: pos %ld\n", caretPos);
    EXPECT_GT(caretPos, 0);
}
