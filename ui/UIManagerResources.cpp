// The paint manager's fonts, images, default attribute lists, styles and default colours.
#include "ui/UIManager.h"
#include "ui/UITextWin.h"
#include "ui/UIManagerShared.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui/UIParseWin.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UIRender.h"
#include "ui/UIResource.h"

using namespace uimanager_internal;

namespace {

// Largest font file that AddFontFile registers.
constexpr size_t kMaxFontFileBytes = 32u * 1024u * 1024u;

// Puts an entry into a font or image table; an entry it replaces is kept alive in `retired`
// because controls may still hold a pointer to it.
template <class Table, class Retired>
void ReplaceEntry(Table& table, const typename Table::key_type& key,
                  const typename Table::mapped_type& value, Retired& retired) {
    auto it = table.find(key);
    if (it != table.end())
        retired.push_back(it->second);
    table[key] = value;
}

// Takes an entry out of a font or image table, keeping it alive in `retired`.
template <class Table, class Retired>
bool RetireEntry(Table& table, const typename Table::key_type& key, Retired& retired) {
    auto it = table.find(key);
    if (it == table.end())
        return false;
    retired.push_back(it->second);
    table.erase(it);
    return true;
}

// Looks a key up in this window's table first, then in the process-wide one.
template <class Table>
const typename Table::mapped_type* FindOwnOrShared(const Table& own, const Table& shared,
                                                   const typename Table::key_type& key) {
    auto it = own.find(key);
    if (it != own.end())
        return &it->second;
    auto sit = shared.find(key);
    return sit == shared.end() ? nullptr : &sit->second;
}

// Sets a default colour process-wide, or for one window only (which then keeps its own).
void StoreColor(DWORD color, bool shared, DWORD& sharedColor, std::optional<DWORD>& ownColor) {
    if (shared)
        sharedColor = color;
    else
        ownColor = color;
}

void FillMetrics(TFontInfo& info) {
    if (info.bMetricsValid || info.hFont == nullptr)
        return;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, info.hFont);
    ::GetTextMetricsA(dc, &info.tm);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    info.bMetricsValid = true;
}

} // namespace

TResourceTables& CPaintManagerUI::Tables(bool shared) {
    return shared ? Shared().resources : m_resources;
}

// ---- Fonts
// ----------------------------------------------------------------------------------------

namespace {

// Whether the system has a font family of that name (for the character set).
bool FaceInstalled(HDC dc, const std::wstring& face, BYTE charset = DEFAULT_CHARSET) {
    LOGFONTW lf = {};
    lf.lfCharSet = charset;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) -> int {
            *reinterpret_cast<bool*>(seen) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// A face meant for Chinese text: one of the system's Chinese faces, or a name in Chinese.
bool ChineseFace(const std::wstring& face) {
    static const wchar_t* const kFaces[] = {L"Microsoft YaHei", L"SimSun",  L"NSimSun",
                                            L"SimHei",          L"KaiTi",   L"FangSong",
                                            L"Microsoft JhengHei", L"PMingLiU", L"MingLiU"};
    for (const wchar_t* known : kFaces)
        if (_wcsicmp(face.c_str(), known) == 0)
            return true;
    return std::any_of(face.begin(), face.end(), [](wchar_t c) { return c >= 0x2E80; });
}

// An installed face with Chinese glyphs: a well-known one first, else any the system lists for
// the GB2312 character set; "" when there is none.
std::wstring InstalledChineseFace(HDC dc) {
    static const wchar_t* const kPreferred[] = {
        L"Microsoft YaHei",     L"SimSun",           L"Noto Sans CJK SC",  L"Source Han Sans SC",
        L"WenQuanYi Micro Hei", L"WenQuanYi Zen Hei", L"Droid Sans Fallback", L"AR PL UMing CN"};
    for (const wchar_t* face : kPreferred)
        if (FaceInstalled(dc, face))
            return face;
    LOGFONTW lf = {};
    lf.lfCharSet = GB2312_CHARSET;
    std::wstring any;
    ::EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM out) -> int {
            if (font->lfFaceName[0] == L'@')
                return 1; // a vertical-writing variant
            *reinterpret_cast<std::wstring*>(out) = font->lfFaceName;
            return 0;
        },
        reinterpret_cast<LPARAM>(&any), 0);
    return any;
}

} // namespace

std::wstring CPaintManagerUI::InstalledFaceFor(const std::string& face) {
    // A face the system lacks is left to the system's own mapping, which serves Latin text;
    // a Chinese face it lacks would draw boxes, so another face with Chinese glyphs stands in.
    std::wstring wide = uitext::Wide(face);
    if (wide.empty())
        return wide;
    if (!ChineseFace(wide))
        return wide;
    HDC dc = ::GetDC(nullptr);
    if (!FaceInstalled(dc, wide)) {
        const std::wstring stand = InstalledChineseFace(dc);
        if (!stand.empty())
            wide = stand;
    }
    ::ReleaseDC(nullptr, dc);
    return wide;
}

std::shared_ptr<TFontInfo> CPaintManagerUI::CreateFontInfo(const std::string& face, int size,
                                                           bool bold, bool underline, bool italic) {
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    if (!face.empty()) {
        std::memset(lf.lfFaceName, 0, sizeof(lf.lfFaceName));
        const std::wstring wide = InstalledFaceFor(face);
        wcsncpy(lf.lfFaceName, wide.c_str(), LF_FACESIZE - 1);
    }
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -Scale(std::clamp(size, 1, 1000)); // at the window's DPI
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    HFONT hFont = ::CreateFontIndirectW(&lf);
    if (hFont == nullptr)
        return nullptr;
    auto info = std::shared_ptr<TFontInfo>(new TFontInfo, [](TFontInfo* p) {
        if (p->hFont)
            ::DeleteObject(p->hFont);
        delete p;
    });
    info->hFont = hFont;
    info->sFontName = uitext::Narrow(lf.lfFaceName);
    info->iSize = std::clamp(size, 1, 1000);
    info->bBold = bold;
    info->bUnderline = underline;
    info->bItalic = italic;
    return info;
}

HFONT CPaintManagerUI::AddFont(int id, const std::string& face, int size, bool bold, bool underline,
                               bool italic, bool shared) {
    if (id < 0)
        return nullptr;
    auto info = CreateFontInfo(face, size, bold, underline, italic);
    if (!info)
        return nullptr;
    TResourceTables& tables = Tables(shared || m_bForceShared);
    ReplaceEntry(tables.fonts, id, info, tables.retiredFonts);
    return info->hFont;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int id) {
    TFontInfo* info = nullptr;
    if (id >= 0) {
        if (const auto* found = FindOwnOrShared(m_resources.fonts, Shared().resources.fonts, id))
            info = found->get();
    }
    if (info == nullptr)
        return GetDefaultFontInfo();
    FillMetrics(*info);
    return info;
}

HFONT CPaintManagerUI::GetFont(int id) {
    return GetFontInfo(id)->hFont;
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont) {
    for (bool shared : {false, true})
        for (auto& entry : Tables(shared).fonts)
            if (entry.second->hFont == hFont) {
                FillMetrics(*entry.second);
                return entry.second.get();
            }
    return GetDefaultFontInfo();
}

int CPaintManagerUI::GetFontHeight(int id) {
    return GetFontInfo(id)->tm.tmHeight;
}

bool CPaintManagerUI::RemoveFont(int id, bool shared) {
    TResourceTables& tables = Tables(shared);
    return RetireEntry(tables.fonts, id, tables.retiredFonts);
}

void CPaintManagerUI::SetDefaultFont(const std::string& face, int size, bool bold, bool underline,
                                     bool italic, bool shared) {
    // Bold is the plain bold weight (700), whatever the base font's weight is.
    auto info = CreateFontInfo(face, size, bold, underline, italic);
    if (!info)
        return;
    FillMetrics(*info);
    TResourceTables& tables = Tables(shared || m_bForceShared);
    if (tables.defaultFont)
        tables.retiredFonts.push_back(tables.defaultFont);
    tables.defaultFont = info;
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo() {
    if (m_resources.defaultFont) {
        FillMetrics(*m_resources.defaultFont);
        return m_resources.defaultFont.get();
    }
    auto& shared = Shared().resources.defaultFont;
    if (!shared) {
        LOGFONTW lf = {};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        lf.lfCharSet = DEFAULT_CHARSET;
        HFONT hFont = ::CreateFontIndirectW(&lf);
        shared = std::shared_ptr<TFontInfo>(new TFontInfo, [](TFontInfo* p) {
            if (p->hFont)
                ::DeleteObject(p->hFont);
            delete p;
        });
        shared->hFont = hFont;
        shared->sFontName = uitext::Narrow(lf.lfFaceName);
        shared->iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
        shared->bBold = lf.lfWeight >= FW_BOLD;
    }
    FillMetrics(*shared);
    return shared.get();
}

bool CPaintManagerUI::AddFontFile(const std::string& file) {
    std::string bytes;
    if (CResourceAccess::ReadSkinFile(file.c_str(), kMaxFontFileBytes, bytes) != FileReadStatus::Ok)
        return false;
    DWORD count = 0;
    HANDLE h = ::AddFontMemResourceEx(const_cast<char*>(bytes.data()), DWORD(bytes.size()), nullptr,
                                      &count);
    if (h == nullptr)
        return false;
    m_aFontResources.push_back(h);
    return true;
}

// ---- Images
// -----------------------------------------------------------------------------------------

const TImageInfo* CPaintManagerUI::AddImage(const std::string& name, const std::string& type,
                                            DWORD mask, bool shared) {
    if (name.empty())
        return nullptr;
    TImageInfo* loaded = CRenderEngine::LoadImage(name, type, mask);
    if (loaded == nullptr) {
        m_mFailedImages[name] = true;
        return nullptr;
    }
    m_mFailedImages.erase(name);
    std::shared_ptr<TImageInfo> info(loaded);
    TResourceTables& tables = Tables(shared || m_bForceShared);
    ReplaceEntry(tables.images, name, info, tables.retiredImages);
    return info.get();
}

const TImageInfo* CPaintManagerUI::GetImage(const std::string& name) const {
    const auto* found = FindOwnOrShared(m_resources.images, Shared().resources.images, name);
    return found ? found->get() : nullptr;
}

const TImageInfo* CPaintManagerUI::GetImageEx(const std::string& name, const std::string& type,
                                              DWORD mask) {
    // Above 100 % the skin's larger drawings ("name@150.png", "name@200.png") when it has them,
    // the nearest first.
    // The choice is made once per image and DPI (every paint asks again).
    const int percent = m_dpi * 100 / 96;
    const size_t dot = name.find_last_of('.');
    if (type.empty() && percent >= 125 && dot != std::string::npos) {
        auto chosen = m_imageVariants.find(name);
        if (chosen == m_imageVariants.end()) {
            std::string found;
            const int order[2][2] = {{150, 200}, {200, 150}};
            for (int variant : order[percent >= 175 ? 1 : 0]) {
                const std::string larger =
                    name.substr(0, dot) + "@" + std::to_string(variant) + name.substr(dot);
                const TImageInfo* info = GetImage(larger);
                if (info == nullptr && m_mFailedImages.count(larger) == 0)
                    info = AddImage(larger, type, mask, false);
                if (info != nullptr) {
                    const_cast<TImageInfo*>(info)->scale = variant;
                    found = larger;
                    break;
                }
            }
            chosen = m_imageVariants.emplace(name, found).first;
        }
        if (!chosen->second.empty()) {
            if (const TImageInfo* info = GetImage(chosen->second))
                return info;
            m_imageVariants.erase(chosen); // released since: chosen again at the next paint
        }
    }
    if (const TImageInfo* info = GetImage(name))
        return info;
    // An image that could not be loaded is not read again at every paint.
    if (m_mFailedImages.count(name) != 0)
        return nullptr;
    return AddImage(name, type, mask, false);
}

bool CPaintManagerUI::RemoveImage(const std::string& name, bool shared) {
    TResourceTables& tables = Tables(shared);
    return RetireEntry(tables.images, name, tables.retiredImages);
}

const TDrawInfo* CPaintManagerUI::GetDrawInfo(const std::string& image, const std::string& modify) {
    auto key = std::make_pair(image, modify);
    auto it = m_mDrawInfoHash.find(key);
    if (it != m_mDrawInfoHash.end())
        return &it->second;
    TDrawInfo& info = m_mDrawInfoHash[key];
    CRenderEngine::ParseDrawInfo(image, modify, info);
    return &info;
}

// ---- Default attribute lists and styles
// ----------------------------------------------------------

void CPaintManagerUI::AddDefaultAttributeList(const std::string& tag, const std::string& list,
                                              bool shared) {
    Tables(shared || m_bForceShared).defaultAttrs[tag] = list;
}

bool CPaintManagerUI::HasDefaultAttributeList(const std::string& tag) const {
    return m_resources.defaultAttrs.count(tag) != 0 || Shared().resources.defaultAttrs.count(tag) != 0;
}

std::string CPaintManagerUI::GetDefaultAttributeList(const std::string& tag) const {
    const auto* found = FindOwnOrShared(m_resources.defaultAttrs, Shared().resources.defaultAttrs, tag);
    return found ? *found : std::string();
}

void CPaintManagerUI::AddStyle(const std::string& name, const std::string& value, bool shared) {
    Tables(shared || m_bForceShared).styles[name] = value;
}

bool CPaintManagerUI::HasStyle(const std::string& name) const {
    return m_resources.styles.count(name) != 0 || Shared().resources.styles.count(name) != 0;
}

std::string CPaintManagerUI::GetStyle(const std::string& name) const {
    const auto* found = FindOwnOrShared(m_resources.styles, Shared().resources.styles, name);
    return found ? *found : std::string();
}

// ---- Window settings
// ---------------------------------------------------------------------------------

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    m_szInitWindowSize = {cx, cy};
    if (m_pRoot == nullptr && m_hWndPaint != nullptr)
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy,
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CPaintManagerUI::SetOpacity(BYTE opacity) {
    m_nOpacity = opacity;
    if (m_hWndPaint == nullptr)
        return;
    LONG_PTR exStyle = ::GetWindowLongPtrA(m_hWndPaint, GWL_EXSTYLE);
    if (opacity < 255) {
        ::SetWindowLongPtrA(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        ::SetLayeredWindowAttributes(m_hWndPaint, 0, opacity, LWA_ALPHA);
    } else if ((exStyle & WS_EX_LAYERED) != 0 && !m_bLayered) {
        ::SetWindowLongPtrA(m_hWndPaint, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    }
}

void CPaintManagerUI::SetLayered(bool layered) {
    // Stored only: this toolkit paints every window opaquely.
    m_bLayered = layered;
}

void CPaintManagerUI::SetLayeredImage(const std::string& image) {
    m_sLayeredImage = image;
    SetLayered(true);
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const {
    return m_ownDisabledColor.value_or(Shared().disabledColor);
}

void CPaintManagerUI::SetDefaultDisabledColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().disabledColor, m_ownDisabledColor);
}

DWORD CPaintManagerUI::GetDefaultFontColor() const {
    return m_ownFontColor.value_or(Shared().fontColor);
}

void CPaintManagerUI::SetDefaultFontColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().fontColor, m_ownFontColor);
}

DWORD CPaintManagerUI::GetDefaultLinkFontColor() const {
    return m_ownLinkFontColor.value_or(Shared().linkFontColor);
}

void CPaintManagerUI::SetDefaultLinkFontColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().linkFontColor, m_ownLinkFontColor);
}

DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const {
    return m_ownLinkHoverFontColor.value_or(Shared().linkHoverFontColor);
}

void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().linkHoverFontColor, m_ownLinkHoverFontColor);
}

DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const {
    return m_ownSelectedBkColor.value_or(Shared().selectedBkColor);
}

void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD color, bool shared) {
    StoreColor(color, shared, Shared().selectedBkColor, m_ownSelectedBkColor);
}
