#include "ui/UIRichEditHost.h"

#include "ui/UIManager.h"
#include "ui/UITextWin.h"

#include <imm.h>

#include <algorithm>
#include <vector>

namespace richedit {

const IID kIID_ITextServices = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
const IID kIID_ITextHost = {
    0xc5bdd8d0, 0xd26e, 0x11ce, {0xa8, 0x9e, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};

std::wstring ToWide(const std::string& text) {
    return uitext::Wide(text);
}

std::string ToAnsi(const wchar_t* text, int length) {
    return length <= 0 ? std::string() : uitext::Narrow(text, length);
}

} // namespace richedit

using richedit::PixelsToHimetric;
using richedit::ToColorRef;
using richedit::ToWide;
using richedit::kIID_ITextServices;
using richedit::kIID_ITextHost;
using richedit::kTwipsPerInch;

bool CTxtWinHost::Init() {
    m_cf.cbSize = sizeof(m_cf);
    m_pf.cbSize = sizeof(m_pf);
    m_pf.dwMask = PFM_ALL;
    m_pf.wAlignment = PFA_LEFT;
    m_pf.cTabCount = 1;
    m_pf.rgxTabs[0] = lDefaultTab;
    ApplyFont(nullptr);
    ApplyTextColor(m_re ? m_re->GetTextColor() : 0);
    if (m_re)
        ApplyParaAlign(m_re->GetWinStyle());

    static HMODULE library = ::LoadLibraryA("Riched20.dll");
    if (library == nullptr)
        return false;
    auto create = reinterpret_cast<PCreateTextServices>(
        reinterpret_cast<void*>(::GetProcAddress(library, "CreateTextServices")));
    if (create == nullptr)
        return false;
    IUnknown* unknown = nullptr;
    if (FAILED(create(nullptr, this, &unknown)) || unknown == nullptr)
        return false;
    HRESULT hr = unknown->QueryInterface(kIID_ITextServices, reinterpret_cast<void**>(&m_ts));
    unknown->Release();
    return SUCCEEDED(hr) && m_ts != nullptr;
}

void CTxtWinHost::Shutdown() {
    if (m_ts != nullptr) {
        m_ts->OnTxInPlaceDeactivate();
        ITextServices* ts = m_ts;
        m_ts = nullptr;
        ts->Release();
    }
    m_re = nullptr;
}

void CTxtWinHost::SetClientRect(const RECT& rc) {
    m_rcClient = rc;
    HDC dc = ::GetDC(nullptr);
    const LONG dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
    const LONG dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    m_sizelExtent.cx = PixelsToHimetric(rc.right - rc.left, dpiX > 0 ? dpiX : 96);
    m_sizelExtent.cy = PixelsToHimetric(rc.bottom - rc.top, dpiY > 0 ? dpiY : 96);
    ChangeBits(TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE);
}

void CTxtWinHost::ApplyFont(HFONT font) {
    if (font == nullptr)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    HDC dc = ::GetDC(nullptr);
    const LONG dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    const LONG height = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_cf.dwMask = CFM_SIZE | CFM_OFFSET | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD |
                  CFM_ITALIC | CFM_UNDERLINE;
    m_cf.yHeight = ::MulDiv(height > 0 ? height : 12, kTwipsPerInch, dpiY > 0 ? dpiY : 96);
    m_cf.yOffset = 0;
    m_cf.dwEffects &= ~DWORD(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_AUTOCOLOR);
    if (lf.lfWeight >= FW_BOLD)
        m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic)
        m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline)
        m_cf.dwEffects |= CFE_UNDERLINE;
    // The face and character set the system really draws the font with (a face the system
    // replaces, a Chinese face in another locale): the text services then pick the same glyphs
    // the other controls show, whatever the system's code page.
    std::wstring face = lf.lfFaceName;
    m_cf.bCharSet = lf.lfCharSet;
    {
        HDC probe = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(probe, font);
        // A face the system replaces by another (Wine's font replacements, for a face it
        // lacks) is drawn by the replacement everywhere but in the text services, which do
        // not follow it: they are given the replacing face.
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", 0,
                            KEY_READ, &key) == ERROR_SUCCESS) {
            wchar_t replacement[LF_FACESIZE] = {};
            DWORD bytes = sizeof(replacement) - sizeof(wchar_t);
            DWORD type = 0;
            if (::RegQueryValueExW(key, face.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(replacement), &bytes) == ERROR_SUCCESS &&
                type == REG_SZ && replacement[0] != L'\0')
                face = replacement;
            ::RegCloseKey(key);
        }
        FONTSIGNATURE signature = {};
        const int set = ::GetTextCharsetInfo(probe, &signature, 0);
        ::SelectObject(probe, old);
        ::DeleteDC(probe);
        if (signature.fsCsb[0] & (1u << 18)) // simplified Chinese among its code pages
            m_cf.bCharSet = GB2312_CHARSET;
        else if (m_cf.bCharSet == DEFAULT_CHARSET && set != DEFAULT_CHARSET)
            m_cf.bCharSet = BYTE(set);
    }
    std::fill(std::begin(m_cf.szFaceName), std::end(m_cf.szFaceName), L'\0');
    std::copy_n(face.begin(), std::min(face.size(), size_t(LF_FACESIZE - 1)), m_cf.szFaceName);
    ChangeBits(TXTBIT_CHARFORMATCHANGE);
    // The text services keep the format of the text they hold: the new one goes to all of it.
    if (m_ts != nullptr) {
        LRESULT ignored = 0;
        m_ts->TxSendMessage(EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&m_cf), &ignored);
    }
}

void CTxtWinHost::ApplyTextColor(DWORD argb) {
    m_cf.crTextColor = ToColorRef(argb);
    m_cf.dwMask |= CFM_COLOR;
    m_cf.dwEffects &= ~DWORD(CFE_AUTOCOLOR);
    ChangeBits(TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::ApplyParaAlign(LONG style) {
    if (style & ES_CENTER)
        m_pf.wAlignment = PFA_CENTER;
    else if (style & ES_RIGHT)
        m_pf.wAlignment = PFA_RIGHT;
    else
        m_pf.wAlignment = PFA_LEFT;
    ChangeBits(TXTBIT_PARAFORMATCHANGE);
}

void CTxtWinHost::ChangeBits(DWORD mask) {
    if (m_ts == nullptr)
        return;
    DWORD bits = 0;
    TxGetPropertyBits(mask, &bits);
    m_ts->OnTxPropertyBitsChange(mask, bits);
}
