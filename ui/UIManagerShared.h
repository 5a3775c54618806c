// What the paint manager's source files share inside the toolkit: the process-wide state of
// all toolkit windows (fonts, images, styles, default colours) and the shortcut search. Not
// for use outside the paint manager.
#pragma once

#include "ui/UIManager.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace uimanager_internal {

// Process-wide state of the toolkit.
struct SharedState {
    std::vector<CPaintManagerUI*> managers;
    TResourceTables resources;
    DWORD disabledColor = 0xFFA7A6AA;
    DWORD fontColor = 0xFF000000;
    DWORD linkFontColor = 0xFF0000FF;
    DWORD linkHoverFontColor = 0xFFD3215F;
    DWORD selectedBkColor = 0xFFBAE4FF;
};

inline SharedState& Shared() {
    static SharedState state;
    return state;
}

struct FindShortcut {
    char ch;
    bool bPickNext;
};

} // namespace uimanager_internal
