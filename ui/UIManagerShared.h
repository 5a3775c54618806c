// What the paint manager's source files share inside the toolkit: the process-wide state of
// all toolkit windows (fonts, images, styles, default colours) and small helpers. Not for use
// outside the paint manager.
#pragma once

#include "ui/UIManager.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace uimanager_internal {

// Reflected messages from child windows carry their code raised by this much.
constexpr UINT kReflectBase = 0x2000;

// Native timer ids the application uses for its own timers on a toolkit window; control
// timers never take them.
constexpr UINT kReservedTimerIds[] = {101, 102};

// Largest font file that AddFontFile registers.
constexpr size_t kMaxFontFileBytes = 32u * 1024u * 1024u;

// Process-wide state of the toolkit.
struct SharedState {
    std::vector<CPaintManagerUI*> managers;
    std::map<int, std::shared_ptr<TFontInfo>> fonts;
    std::map<std::string, std::shared_ptr<TImageInfo>> images;
    std::vector<std::shared_ptr<TFontInfo>> retiredFonts;
    std::vector<std::shared_ptr<TImageInfo>> retiredImages;
    std::map<std::string, std::string> defaultAttrs;
    std::map<std::string, std::string> styles;
    std::shared_ptr<TFontInfo> defaultFont;
    DWORD disabledColor = 0xFFA7A6AA;
    DWORD fontColor = 0xFF000000;
    DWORD linkFontColor = 0xFF0000FF;
    DWORD linkHoverFontColor = 0xFFD3215F;
    DWORD selectedBkColor = 0xFFBAE4FF;
    bool commonControlsReady = false;
};

inline SharedState& Shared() {
    static SharedState state;
    return state;
}

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
inline void StoreColor(DWORD color, bool shared, DWORD& sharedColor, DWORD& ownColor, bool& own) {
    if (shared) {
        sharedColor = color;
    } else {
        ownColor = color;
        own = true;
    }
}

inline bool IsManagerAlive(const CPaintManagerUI* p) {
    const auto& list = Shared().managers;
    return std::find(list.begin(), list.end(), p) != list.end();
}

inline WORD MapKeyState() {
    WORD state = 0;
    if (::GetKeyState(VK_CONTROL) < 0)
        state |= UIKEY_CONTROL;
    if (::GetKeyState(VK_RBUTTON) < 0)
        state |= UIKEY_RBUTTON;
    if (::GetKeyState(VK_LBUTTON) < 0)
        state |= UIKEY_LBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0)
        state |= UIKEY_SHIFT;
    if (::GetKeyState(VK_MENU) < 0)
        state |= UIKEY_ALT;
    return state;
}

inline void FillMetrics(TFontInfo& info) {
    if (info.bMetricsValid || info.hFont == nullptr)
        return;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, info.hFont);
    ::GetTextMetricsA(dc, &info.tm);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    info.bMetricsValid = true;
}

struct FindTabInfo {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

struct FindShortcut {
    char ch;
    bool bPickNext;
};

struct FindByClass {
    const char* className;
    int index;
};

} // namespace uimanager_internal
