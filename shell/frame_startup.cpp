// The main window's start: what follows its first paint (COM for the window's thread, the pages
// not shown at start, built one per timer tick so that the window answers in between) and the
// start-up timer's texts (help, version, build date).
#include "shell/frame_wnd.h"
#include "version.h"

#include "base/com_thread.h"
#include "base/ini_text.h"
#include "base/messages.h"
#include "base/settings.h"
#include "base/text.h"
#include "base/wide.h"
#include "pages/page_classes.h"
#include "ui/UIControls.h"
#include "ui/UIRichEdit.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

namespace {

const char kVersion[] = "V" ORVEL_VERSION_TEXT;

// The pages not built yet, in the order of their tabs.
std::vector<CPageUI*> UnbuiltPages(const CPaintManagerUI& pm) {
    std::vector<CPageUI*> unbuilt;
    auto* pages = ControlAs<CContainerUI>(pm.FindBuiltControl(kPageSwitchName));
    for (int i = 0; pages != nullptr && i < pages->GetCount(); ++i)
        if (auto* page = dynamic_cast<CPageUI*>(pages->GetItemAt(i)); page && !page->IsBuilt())
            unbuilt.push_back(page);
    return unbuilt;
}

} // namespace

void COrvelFrameWnd::OnPagesTimer() {
    ComReadyOnThisThread();
    if (BuildLaterPages(1) == 0)
        CompletePages();
}

bool COrvelFrameWnd::CompletePages() {
    if (pagesComplete_)
        return false;
    pagesComplete_ = true;
    ::KillTimer(m_hWnd, kPagesTimerId);
    BuildLaterPages(std::numeric_limits<int>::max());
    // The sensor rows numbered and switched off, then the catalogue with one list item per row.
    pages_.NumberSensorRows();
    store_.Build(view_.GetRowCount(kSensorListName));
    return true;
}

int COrvelFrameWnd::BuildLaterPages(int limit) {
    const std::vector<CPageUI*> unbuilt = UnbuiltPages(pm_);
    const size_t now = std::min(unbuilt.size(), static_cast<size_t>(std::max(limit, 0)));
    for (size_t i = 0; i < now; ++i)
        unbuilt[i]->Build();
    return static_cast<int>(unbuilt.size() - now);
}

void COrvelFrameWnd::BuildShownPage() {
    auto* pages = ControlAs<CTabLayoutUI>(pm_.FindBuiltControl(kPageSwitchName));
    if (pages == nullptr)
        return;
    if (auto* page = dynamic_cast<CPageUI*>(pages->GetItemAt(pages->GetCurSel())))
        page->Build();
}

void COrvelFrameWnd::WatchLaterPages() {
    for (CPageUI* page : UnbuiltPages(pm_))
        page->SetOnBuilt([this] {
            // However the page came to be built (shown, asked for, idle time), its controls
            // take the states given while it was not there.
            for (const auto& [name, enable] : enabledLater_)
                if (CControlUI* control = pm_.FindBuiltControl(name))
                    control->SetEnabled(enable);
        });
}

void COrvelFrameWnd::OnStartupTimer() {
    ::KillTimer(m_hWnd, kStartupTimerId);

    if (CControlUI* help = pm_.FindControl("HelpRichEdit")) {
        // The skin's own help text (in its language), else the program folder's; UTF-8, or
        // the Chinese skin's GBK.
        std::string text;
        if (ReadWholeFile(CPaintManagerUI::GetResourcePath() + "Help.txt", text) ||
            ReadWholeFile(GetProgramFolder() + "Help.txt", text)) {
            text = text.substr(0, 9999);
            if (!IsUtf8(text))
                text = CodePageToUtf8(text, 936);
        } else {
            text = LookupText("InitValue", "Text", "\r\n");
        }
        if (auto* view = ControlAs<CRichEditUI>(help)) {
            view->AppendText(text);
            view->HomeUp(); // the reader starts at the top
        } else
            help->SetText(help->GetText() + text);
    }

    if (CControlUI* ver = pm_.FindControl("Ver")) {
        wchar_t customWide[260] = {};
        ::GetPrivateProfileStringW(L"CustomVer", L"CustomVer", L"", customWide, 260,
                                   WideOf(GetProgramFolder() + "config.ini").c_str());
        customWide[259] = L'\0';
        const std::string custom = Utf8Of(customWide);
        char text[600];
        std::snprintf(text, sizeof(text), "%sKestrune %s%s", "DTU", kVersion, custom.c_str());
        ver->SetText(text);
    }

    if (CControlUI* date = pm_.FindControl("VerDown")) {
        // The build date as the skin writes dates ("%Y/%m/%d", "%Y年%m月%d日").
        std::string text = LookupTextOr("InitValue", "Date", "%Y/%m/%d");
        for (const auto& [mark, value] : {std::pair<const char*, const char*>{"%Y", "2021"},
                                          {"%m", "03"}, {"%d", "26"}})
            text = ReplaceAll(text, mark, value);
        date->SetText(text + " " + kVersion);
    }

    if (CControlUI* logo = pm_.FindControl("Logo_Container"))
        logo->SetVisible(false);
}

