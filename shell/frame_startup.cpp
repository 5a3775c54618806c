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

#include <cstdio>
#include <limits>
#include <utility>

namespace {

const char kVersion[] = "V" ORVEL_VERSION_TEXT;

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
    auto* pages = ControlAs<CContainerUI>(pm_.FindBuiltControl(kPageSwitchName));
    if (pages == nullptr)
        return 0;
    int built = 0, left = 0; // pages built now, and still to build
    for (int i = 0; i < pages->GetCount(); ++i) {
        auto* page = dynamic_cast<CPageUI*>(pages->GetItemAt(i));
        if (page == nullptr || page->IsBuilt())
            continue;
        if (built < limit) {
            page->Build();
            ++built;
        } else {
            ++left;
        }
    }
    return left;
}

void COrvelFrameWnd::BuildShownPage() {
    auto* pages = ControlAs<CTabLayoutUI>(pm_.FindBuiltControl(kPageSwitchName));
    if (pages == nullptr)
        return;
    if (auto* page = dynamic_cast<CPageUI*>(pages->GetItemAt(pages->GetCurSel())))
        page->Build();
}

void COrvelFrameWnd::WatchLaterPages() {
    auto* pages = ControlAs<CContainerUI>(pm_.FindBuiltControl(kPageSwitchName));
    for (int i = 0; pages != nullptr && i < pages->GetCount(); ++i)
        if (auto* page = dynamic_cast<CPageUI*>(pages->GetItemAt(i)); page && !page->IsBuilt())
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
            for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark))
                text.replace(at, 2, value);
        date->SetText(text + " " + kVersion);
    }

    if (CControlUI* logo = pm_.FindControl("Logo_Container"))
        logo->SetVisible(false);
}

