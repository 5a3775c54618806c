#include "shell/frame_wnd.h"
#include "base/ini_text.h"
#include "base/wide.h"

#include "base/decimal.h"
#include "base/log_post.h"
#include "base/messages.h"
#include "base/settings.h"
#include "base/system_message.h"
#include "base/text.h"
#include "exchange/device_operations.h"
#include "pages/page_classes.h"
#include "pages/tab_strip.h"
#include "params/config_file.h"
#include "serial/port_list.h"
#include "serial/serial_line.h"
#include "shell/config_file_dialogs.h"
#include "shell/dispatch.h"
#include "shell/station_wnd.h"
#include "shell/toolkit_window.h"
#include "ui/UIAccessible.h"
#include "ui/UIControls.h"
#include "ui/UIDlgBuilder.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace {

COrvelFrameWnd::MessageBoxHook g_messageBoxHook = nullptr;
COrvelFrameWnd::ConfirmHook g_confirmHook = nullptr;
std::string g_restartProgram; // the executable the language switch starts ("" = this one)
std::string g_restartConfig;  // the config.ini it writes ("" = beside this executable)

CComboUI* AsCombo(CControlUI* control) {
    return ControlAs<CComboUI>(control);
}

// Why a port did not open, in the skin's language where the reason is a common one.
} // namespace

COrvelFrameWnd::COrvelFrameWnd()
    : link_(linkWindow_, CLinkToWindow::SkinTexts()), view_(pm_, "CustomListItem.xml"), pages_(view_, store_, *this) {}

bool COrvelFrameWnd::ReadDeviceListing(const std::string& reply) {
    if (!store_.ParseListing(reply.data(), reply.size()))
        return false;
    deviceListing_ = reply; // kept before a write, and compared with files
    return true;
}

void COrvelFrameWnd::OnLinkResult(const LinkResult& result) {
    CompletePages(); // an answer is shown on every page
    switch (result.kind) {
    case LinkResult::Kind::Verify:
        // The read after a write batch: what the device now reports is known, the pages keep
        // what the user typed, so that what it did not take stays marked.
        if (verifying_)
            FinishVerification(result.ok && ReadDeviceListing(result.text) ? result.text
                                                                            : std::string());
        break;
    case LinkResult::Kind::Listing:
        if (result.ok && ReadDeviceListing(result.text)) {
            ShowConfiguration();
            pages_.SetDeviceRead(true);
        }
        break;
    case LinkResult::Kind::WriteAnswer:
        OnWriteAnswer(result);
        break;
    case LinkResult::Kind::SaveFile:
        WriteListingFile(result.text);
        break;
    case LinkResult::Kind::ListingForFile:
        // Only a listing of the device's own makes the differences known.
        OnDeviceListingForFile(result.ok && ReadDeviceListing(result.text));
        break;
    case LinkResult::Kind::NetMode:
        if (result.ok)
            ShowNetMode(result.text);
        break;
    case LinkResult::Kind::Other:
        break;
    }
}

// A loaded file's differences: the device's own listing was just parsed, or could not be read.
void COrvelFrameWnd::OnDeviceListingForFile(bool read) {
    if (!read) {
        // What the catalogue knows is not this device's configuration any more than before: the
        // pages keep the file, and nothing is written until the device has been read.
        pages_.EndFileLoad();
        pages_.SetDeviceRead(false);
        AppendLog(LookupTextOr("onLoadFrommFile", "NotRead",
                         "The device did not send its configuration: nothing was written. The "
                         "pages show the file; read the device before writing.",
                         "\r\n"));
        return;
    }
    pages_.SetDeviceRead(true);
    // Nothing is sent yet: the differences go to the plan, the pages show the file marked.
    std::vector<PlanRow> rows = pages_.PlanFileDifferences(fileListing_);
    pages_.MarkChanges();
    if (rows.empty()) {
        AppendLog(LookupTextOr("WritePlan", "SameAsFile",
                               "The device already holds the file's values: nothing to write.") +
                  "\r\n");
        return;
    }
    OpenPlan(std::move(rows), planSource_ == PlanSource::Undo ? PlanSource::Undo
                                                              : PlanSource::File);
}

COrvelFrameWnd::~COrvelFrameWnd() {
    // The engine first: it reports to this window until it has ended.
    link_.Stop(CLinkToWindow::HandleSentMessages);
    linkWindow_.SetWindow(nullptr);
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (GetLogWindow() == m_hWnd || windowGone_)
        SetLogWindow(nullptr);
}

void COrvelFrameWnd::SetMessageBoxHook(MessageBoxHook hook) {
    g_messageBoxHook = hook;
}

bool COrvelFrameWnd::Confirm(const std::string& text, const char* caption) {
    if (g_confirmHook)
        return g_confirmHook(text.c_str(), caption);
    return CentredMessageBox(m_hWnd, text, caption,
                             MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void COrvelFrameWnd::SetConfirmHook(ConfirmHook hook) {
    g_confirmHook = hook;
}

void COrvelFrameWnd::ShowMessageBox(const std::string& text, const char* caption) {
    if (g_messageBoxHook)
        g_messageBoxHook(text.c_str(), caption);
    else
        CentredMessageBox(m_hWnd && ::IsWindowVisible(m_hWnd) ? m_hWnd : nullptr, text, caption,
                          MB_OK);
}

bool COrvelFrameWnd::StartWorker() {
    linkWindow_.SetWindow(m_hWnd);
    return link_.Start();
}

CControlUI* COrvelFrameWnd::FindControl(const std::string& name) const {
    return pm_.FindControl(name);
}

// ---- Messages ----------------------------------------------------------------------------------

LRESULT COrvelFrameWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    bool handled = true;
    switch (uMsg) {
    case WM_CREATE:
        result = OnCreate();
        break;
    case WM_NCHITTEST:
        result = OnNcHitTest(lParam);
        break;
    case WM_NCCALCSIZE:
        if (wParam) {
            // The client area is the whole window; maximized, the monitor's work area (the
            // frame would otherwise hang over the screen's edges).
            auto* sizes = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
            if (::IsZoomed(m_hWnd)) {
                MONITORINFO monitor = {};
                monitor.cbSize = sizeof(monitor);
                if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST),
                                      &monitor))
                    sizes->rgrc[0] = monitor.rcWork;
            }
            result = 0;
        } else {
            handled = false;
        }
        break;
    case WM_NCACTIVATE:
        // Nothing of a frame is drawn; the window still shows itself active or not.
        result = ::IsIconic(m_hWnd) ? ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam) : TRUE;
        break;
    case WM_SYSCOMMAND:
        result = OnSysCommand(uMsg, wParam, lParam, handled);
        break;
    case WM_LAYOUT_RULE:
        result = OnLayoutRule(wParam, lParam);
        break;
    case WM_PAINT:
        // The work the first paint need not wait for follows it, in the window's idle time.
        pm_.MessageHandler(uMsg, wParam, lParam, result);
        if (!firstPaintDone_) {
            firstPaintDone_ = true;
            ::SetTimer(m_hWnd, kPagesTimerId, USER_TIMER_MINIMUM, nullptr);
        }
        break;
    case WM_CRASH_TEST:
        ForcedFault();
        return 0;
    case WM_LOG_TEXT:
        if (wParam) {
            // This text was posted before any still queued: it goes first.
            std::string text = reinterpret_cast<const char*>(wParam);
            FreeLogText(wParam);
            ShowInLog(text + TakePostedLogTexts());
        }
        break;
    case WM_CHOOSE_NETWORK_PORT:
        ChooseNetworkPort();
        break;
    case WM_SAVE_FILE:
        SaveConfigurationFile();
        break;
    case WM_LOAD_FILE:
        LoadConfigurationFile();
        break;
    case WM_CONTROL_STATE:
        OnControlState(wParam, lParam);
        break;
    case WM_SWITCH_LANGUAGE:
        SwitchLanguage();
        handled = false; // and on to the default handling
        break;
    case WM_PORT_GONE:
        OnPortGone();
        break;
    case WM_LINK_RESULT:
        // While the link stops, what the worker still sends is not acted on.
        if (lParam && !link_.IsStopping())
            OnLinkResult(*reinterpret_cast<const LinkResult*>(lParam));
        break;
    case WM_RBUTTONUP:
        handled = OfferRevert(lParam);
        break;
    case WM_KEYDOWN:
        // Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp change pages.
        if (::GetKeyState(VK_CONTROL) < 0 &&
            (wParam == VK_TAB || wParam == VK_NEXT || wParam == VK_PRIOR)) {
            const bool forward = wParam == VK_NEXT ||
                                 (wParam == VK_TAB && ::GetKeyState(VK_SHIFT) >= 0);
            SelectNextPage(forward);
        } else {
            handled = false;
        }
        break;
    case WM_SIZE:
        // Laid out anew first (by the manager), then the strip fitted to what is left.
        ::SetTimer(m_hWnd, kTabFitTimerId, kTabFitDelayMs, nullptr);
        handled = false;
        break;
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI (or its scale changed): every size again at the
        // new scale, in the place the system suggests.
        skinStripWidth_ = 0; // read again at the new scale
        FollowDpiChange(pm_, m_hWnd, wParam, lParam);
        break;
    }
    case WM_IP_NOTICE:
        ShowMessageBox(LookupText("Notify", "IpNotice", ""), "DTU");
        break;
    case WM_TIMER:
        if (wParam == kStartupTimerId)
            OnStartupTimer();
        else if (wParam == kPagesTimerId)
            OnPagesTimer();
        else if (wParam == kNetworkChoiceTimerId)
            ChooseNetworkPort();
        else if (wParam == kMarksTimerId)
            RefreshMarks();
        else if (wParam == kTabFitTimerId)
            FitTabStrip();
        else if (wParam == kAutoBaudTimerId)
            OnAutoBaudTimer();
        else
            handled = false;
        break;
    default:
        handled = false;
        break;
    }
    if (handled)
        return result;
    if (pm_.MessageHandler(uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void COrvelFrameWnd::OnFinalMessage(HWND /*hWnd*/) {
    // Destroyed from outside (a close message, a failed creation) or at shut-down: the program
    // ends through its message loop, and its entry releases this object exactly once.
    windowGone_ = true;
    SetLogWindow(nullptr);
    ::PostQuitMessage(0);
}

LRESULT COrvelFrameWnd::OnCreate() {
    // No system caption; the thick frame stays so that the border resizes the window (the
    // frame takes no room: WM_NCCALCSIZE gives the whole window to the client area).
    LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_THICKFRAME | WS_CLIPSIBLINGS |
            WS_CLIPCHILDREN;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    pm_.Init(m_hWnd);
    // Only the page shown at start is built before the first paint (BuildShownPage); the others
    // after it (BuildLaterPages), or at once when one is shown or its controls are asked for.
    CDialogBuilder builder;
    CDialogBuilderCallbackEx callback(true);
    CControlUI* root = builder.Create("skin.xml", nullptr, &callback, &pm_, nullptr);
    if (root == nullptr || !pm_.AttachDialog(root)) {
        delete root;
        ShowMessageBox(LookupTextOr("WinMain", "NoSkin",
                              "The window layout skin.xml could not be read from the skin "
                              "folder. Reinstall the program."),
                       "DTU");
        return -1;
    }
    pm_.AddNotifier(this);
    pm_.SetNameMissHandler([this](const std::string&) { return CompletePages(); });
    WatchLaterPages();
    BuildShownPage();
    // The skin's window size at the window's DPI, on the screen's work area at most.
    SIZE size = pm_.GetInitSize();
    if (size.cx > 0 && size.cy > 0) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            size.cx = std::min<LONG>(size.cx, monitor.rcWork.right - monitor.rcWork.left);
            size.cy = std::min<LONG>(size.cy, monitor.rcWork.bottom - monitor.rcWork.top);
        }
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CControlUI* log = pm_.FindControl("richedit");
    logView_ = ControlAs<CRichEditUI>(log);
    if (logView_ == nullptr) {
        // Every log line goes to this view: without it the program cannot run.
        ShowMessageBox(LookupTextOr("WinMain", "NoLogView",
                              "The skin has no operation log (the control \"richedit\"). "
                              "The program cannot run with this skin."),
                       "DTU");
        return -1;
    }
    logView_->SetContextMenuTexts(LookupText("LogMenu", "Copy", ""),
                                  LookupText("LogMenu", "Clear", ""),
                                  LookupText("LogMenu", "SelectAll", ""));
    InstallLogMenu();
    SetLogWindow(m_hWnd);
    InitWindow();
    return 0;
}

// Where the size box of the skin puts a point: an edge, a corner, or the client area.
static LRESULT SizeBoxHit(POINT pt, const RECT& client, const RECT& box, bool maximized) {
    if (maximized)
        return HTCLIENT;
    const bool left = pt.x < client.left + box.left;
    const bool right = pt.x >= client.right - box.right;
    const bool top = pt.y < client.top + box.top;
    const bool bottom = pt.y >= client.bottom - box.bottom;
    if (top)
        return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (bottom)
        return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    if (left)
        return HTLEFT;
    if (right)
        return HTRIGHT;
    return HTCLIENT;
}

LRESULT COrvelFrameWnd::OnNcHitTest(LPARAM lParam) {
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    // The skin's size box: the edges and corners resize the window (not when maximized).
    const LRESULT edge = SizeBoxHit(pt, client, pm_.GetSizeBox(), ::IsZoomed(m_hWnd) != FALSE);
    if (edge != HTCLIENT)
        return edge;
    const RECT caption = pm_.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
        pt.y >= caption.top && pt.y < caption.bottom) {
        CControlUI* control = pm_.FindControl(pt);
        if (control) {
            const std::string kind = control->GetClass();
            if (kind != "ButtonUI" && kind != "OptionUI" && kind != "TextUI")
                return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT COrvelFrameWnd::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::PostQuitMessage(0);
        bHandled = true;
        return 0;
    }
    const bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    LRESULT result = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    const bool zoomed = ::IsZoomed(m_hWnd) != FALSE;
    if (wasZoomed != zoomed) {
        if (maxButton_)
            maxButton_->SetVisible(!zoomed);
        if (restoreButton_)
            restoreButton_->SetVisible(zoomed);
    }
    bHandled = true;
    return result;
}

LRESULT COrvelFrameWnd::OnLayoutRule(WPARAM wParam, LPARAM lParam) {
    RuleOutcome outcome;
    {
        outcome = pages_.ApplyLayoutRule(static_cast<int>(wParam), static_cast<int>(lParam));
    }
    if (outcome.serverCountNotice) {
        // Modal: shown with the catalogue unlocked, so that the worker is never held up.
        ShowMessageBox(LookupText("Notify", "ServerCount", ""), "DTU");
        pages_.ServerCountFallback();
    }
    MSG waiting;
    if (!::PeekMessageA(&waiting, m_hWnd, WM_LAYOUT_RULE, WM_LAYOUT_RULE, PM_NOREMOVE)) {
        pages_.OnRulesSettled();
        ScheduleMarks();
    }
    return 0;
}

void COrvelFrameWnd::ShowConfiguration() {
    pages_.ApplyValuesToControls();
}

// ---- Configuration files -----------------------------------------------------------------------

void COrvelFrameWnd::SaveConfigurationFile() {
    // The file holds the device's configuration as read, not the pages: changes not yet
    // written are offered to be written first.
    if (pages_.IsDeviceRead() && planWindow_ == nullptr) {
        size_t changes = 0;
        {
            changes = pages_.PlanChanges().size();
        }
        if (changes > 0) {
            const std::string question = FillNumbers(
                LookupTextOr("WritePlan", "UnsavedChanges",
                             "The pages hold %1 change(s) not yet written to the device. The "
                             "file will hold the device's configuration as read. Write the "
                             "changes first?"),
                {std::to_string(changes)});
            if (Confirm(question, "DTU")) {
                ShowWritePlan();
                return;
            }
        }
    }
    std::string path;
    if (!ChooseConfigFile(m_hWnd, true, language_, savePath_, path))
        return;
    savePath_ = path;
    link_.PushJob(SaveFileJob());
}

void COrvelFrameWnd::WriteListingFile(const std::string& reply) {
    if (!WriteFileReplacing(savePath_, ListingToFileBytes(reply))) {
        ShowMessageBox(LookupText("SaveToFile", "OpenError", ""), "DTU");
        return;
    }
    // The log says where the configuration went.
    AppendLog(LookupTextOr("SaveToFile", "Saved", "The device's configuration was saved to") +
              " " + savePath_ + "\r\n");
}

void COrvelFrameWnd::LoadConfigurationFile() {
    std::string path;
    if (!ChooseConfigFile(m_hWnd, false, language_, savePath_, path))
        return;
    savePath_ = path;
    LoadFileForPlan(path, PlanSource::File);
}

// ---- Page host ---------------------------------------------------------------------------------

std::string COrvelFrameWnd::Text(const char* section, const char* key) {
    return LookupText(section, key, "");
}

void COrvelFrameWnd::PostLayoutRule(int rule, int argument) {
    ::PostMessageA(m_hWnd, WM_LAYOUT_RULE, static_cast<WPARAM>(rule),
                   static_cast<LPARAM>(argument));
}

void COrvelFrameWnd::PushJob(const Job& job) {
    link_.PushJob(job);
}

void COrvelFrameWnd::Log(const std::string& text) {
    AppendLog(text);
}

void COrvelFrameWnd::InitWindow() {
    SetIcon(kIconResource);
    closeButton_ = pm_.FindControl("closebtn");
    maxButton_ = pm_.FindControl("maxbtn");
    restoreButton_ = pm_.FindControl("restorebtn");
    minButton_ = pm_.FindControl("minbtn");
    logView_->SetLimitText(kLogLimit);

    if (!ScanSerialPorts())
        AppendLog(LookupTextOr("ScanSerialPorts", "NoPorts",
                         "No serial port was found on this computer. Connect the device's "
                         "cable and start the program again.",
                         "\r\n"));
    SelectRememberedPort();

    InitTabTable(store_.tabs);
    InstallMnemonics();
    InstallAccessibility();
    ::PostMessageA(m_hWnd, WM_CONTROL_STATE, 0, STATE_PORT_CLOSED);
    ::SetTimer(m_hWnd, kStartupTimerId, kStartupTimerMs, nullptr);
    UpdateTabStrip(TabStripStep::Relayout);
}

// A fault on purpose, for checking the crash capture (ORVEL_CRASH_TEST).
void COrvelFrameWnd::ForcedFault() {
    // Neither the address nor the write is known to the compiler, so neither is dropped.
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

// ---- Operation log -----------------------------------------------------------------------------

std::string COrvelFrameWnd::TakePostedLogTexts() {
    std::string all;
    MSG msg;
    while (all.size() < kLogBatchBytes &&
           ::PeekMessageA(&msg, m_hWnd, WM_LOG_TEXT, WM_LOG_TEXT, PM_REMOVE)) {
        if (msg.wParam) {
            all += reinterpret_cast<const char*>(msg.wParam);
            FreeLogText(msg.wParam);
        }
    }
    return all;
}

void COrvelFrameWnd::AppendLog(const std::string& text) {
    // Texts posted from the other threads that are still queued came first, in their order;
    // everything goes into the view in one update: a flood of small texts never holds up the
    // window.
    ShowInLog(TakePostedLogTexts() + text);
}

void COrvelFrameWnd::ShowInLog(std::string all) {
    if (logView_ == nullptr)
        return;
    // A device's CR LF may arrive split over two chunks.
    JoinLineEnds(logEndsInCr_, all);
    if (all.empty())
        return;
    all = Stamped(all);
    const long limit = logView_->GetLimitText() - 1;
    if (static_cast<long>(all.size()) >= limit)
        all.erase(0, all.size() - static_cast<size_t>(limit - 1));
    const long length = logView_->GetTextLength();
    if (length + static_cast<long>(all.size()) >= limit)
        logView_->SetText("");
    logView_->AppendText(all, false);
    logView_->EndDown();
}

// ---- Notifications -----------------------------------------------------------------------------

// The notifications that come of something the user did (not of the window's own layout).
static bool IsUserAction(const std::string& type) {
    static const char* const kActions[] = {"click",       "selectchanged", "itemselect",
                                           "textchanged", "predropdown",   "return"};
    return std::any_of(std::begin(kActions), std::end(kActions),
                       [&type](const char* action) { return type == action; });
}

void COrvelFrameWnd::Notify(TNotifyUI& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    // What the user does after the first paint finds every page built.
    if (firstPaintDone_ && IsUserAction(msg.sType))
        CompletePages();
    if (msg.sType == "click") {
        OnClick(msg);
    } else if (msg.sType == "selectchanged") {
        OnPageSelect(msg);
    } else if (msg.sType == "itemselect") {
        OnItemSelect(msg);
        ScheduleMarks();
    } else if (msg.sType == "textchanged") {
        ScheduleMarks();
    } else if (msg.sType == "predropdown") {
        // A USB adapter plugged in after the start, or renumbered: the list is read again
        // whenever it is opened with the port closed.
        if (name == "SerialPort" && !link_.IsOpen())
            RescanSerialPorts();
    } else if (msg.sType == "setfocus") {
        if (name == "FINDNETMODE" && link_.IsSettingMode())
            link_.PushJob(NetModeJob());
    } else if (msg.sType == "killfocus") {
        // The focus may leave because a layout rule hid the field, with the store locked: the
        // modal box (whose message loop runs the next rule) waits until this has returned.
        if (IsServerAddressField(name) && HasBlank(msg.pSender->GetText()))
            ::PostMessageA(m_hWnd, WM_IP_NOTICE, 0, 0);
    }
}

void COrvelFrameWnd::OnClick(TNotifyUI& msg) {
    CControlUI* sender = msg.pSender;
    if (sender == nullptr)
        return;
    if (sender == closeButton_) {
        ::PostQuitMessage(0);
        return;
    }
    if (sender == minButton_) {
        ::PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
    }
    if (sender == maxButton_) {
        ::PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        return;
    }
    if (sender == restoreButton_) {
        ::PostMessageA(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        return;
    }
    const std::string name = sender->GetName();
    switch (ClickActionFor(name)) {
    case ClickAction::TogglePort:
        TogglePort();
        break;
    case ClickAction::ClearLog:
        if (logView_)
            logView_->SetText("");
        break;
    case ClickAction::Save:
        ShowWritePlan();
        break;
    case ClickAction::RevertAll:
        RevertAll();
        break;
    case ClickAction::UndoWrite:
        UndoLastWrite();
        break;
    case ClickAction::CompareFile:
        CompareWithFile();
        break;
    case ClickAction::Station:
        CStationWnd::Open(m_hWnd, BackupFolder());
        break;
    case ClickAction::Login:
        link_.Login();
        break;
    case ClickAction::SaveToFile:
        ::PostMessageA(m_hWnd, WM_SAVE_FILE, 0, 0);
        break;
    case ClickAction::LoadFromFile:
        ::PostMessageA(m_hWnd, WM_LOAD_FILE, 0, 0);
        break;
    case ClickAction::SetTime: {
        std::time_t now = std::time(nullptr);
        std::tm local = {};
        localtime_s(&local, &now);
        link_.PushJob(SetTimeJob(local));
        break;
    }
    case ClickAction::RestoreFactory:
        // One mis-click must not wipe a device in the field.
        if (Confirm(LookupTextOr("Notify", "FactoryConfirm",
                           "Restore the factory settings of the device? Its whole configuration "
                           "will be lost."),
                    "DTU"))
            QueueOperation(name);
        break;
    case ClickAction::Load:
    case ClickAction::ReadLog:
    case ClickAction::SimPin:
    case ClickAction::Signal:
    case ClickAction::Version:
    case ClickAction::RawCommand:
        QueueOperation(name);
        break;
    case ClickAction::Quit:
        QueueOperation(name);
        ::PostMessageA(m_hWnd, WM_CONTROL_STATE, 0, STATE_SETTING_MODE);
        break;
    case ClickAction::TabLeft:
        UpdateTabStrip(TabStripStep::Left);
        break;
    case ClickAction::TabRight:
        UpdateTabStrip(TabStripStep::Right);
        break;
    case ClickAction::DirectionSwitch:
        sender->SetBkImage(ToggledSwitchImage(sender->GetBkImage()));
        ScheduleMarks();
        break;
    case ClickAction::None:
        break;
    }
}

void COrvelFrameWnd::QueueOperation(const std::string& name) {
    Job job;
    if (OperationJob(name, job))
        link_.PushJob(job);
}

void COrvelFrameWnd::OnItemSelect(TNotifyUI& msg) {
    if (msg.pSender == nullptr)
        return;
    int selected = static_cast<int>(msg.wParam);
    if (CComboUI* combo = AsCombo(msg.pSender)) {
        int current = combo->GetCurSel();
        if (current >= 0)
            selected = current;
        if (msg.pSender->GetName() == "SerialPort" && current >= 0) {
            if (combo->GetItemAt(current)->GetUserData() == "network") {
                // Posted: the combo finishes its own selection first.
                ::PostMessageA(m_hWnd, WM_CHOOSE_NETWORK_PORT, 0, 0);
                return;
            }
            portChoice_ = current;
        }
    }
    ItemSelectAction action = ItemSelectActionFor(msg.pSender->GetName(), selected);
    if (action.switchLanguage) {
        ::PostMessageA(m_hWnd, WM_SWITCH_LANGUAGE, 0, 0);
        return;
    }
    for (const LayoutRulePost& post : action.rules)
        ::PostMessageA(m_hWnd, WM_LAYOUT_RULE, static_cast<WPARAM>(post.rule),
                       static_cast<LPARAM>(post.argument));
}

void COrvelFrameWnd::OnPageSelect(TNotifyUI& msg) {
    auto* pages = ControlAs<CTabLayoutUI>(pm_.FindControl("switch"));
    if (pages == nullptr || msg.pSender == nullptr)
        return;
    int page = PageForOption(store_.tabs, msg.pSender->GetName());
    if (page >= 0)
        pages->SelectItem(page);
}

void COrvelFrameWnd::ShowNetMode(const std::string& mode) {
    if (CControlUI* field = pm_.FindControl("FINDNETMODE"))
        field->SetText(mode);
}

// ---- Control states ----------------------------------------------------------------------------

void COrvelFrameWnd::SetControlEnabled(const std::string& name, bool enable) {
    // A control on a page not built yet gets its state when the page is built.
    enabledLater_[name] = enable;
    if (CControlUI* control = pm_.FindBuiltControl(name))
        control->SetEnabled(enable);
}

void COrvelFrameWnd::OnControlState(WPARAM wParam, LPARAM lParam) {
    const bool enable = wParam == 1;
    ControlStateChange change = ControlStateChangeFor(static_cast<long>(lParam));
    for (const char* name : change.followState)
        SetControlEnabled(name, enable);
    for (const char* name : change.oppositeState)
        SetControlEnabled(name, !enable);
    if (change.setDeviceState)
        SetDeviceState(enable);
}

void COrvelFrameWnd::SetDeviceState(bool on) {
    link_.SetSettingMode(on);
    if (!on && verifying_) {
        // The device left its setting mode in the middle of a write: what is still queued
        // would reach the running device, which forwards it to its server. It stays here.
        link_.ClearJobs();
        link_.AbandonJob("the device left its setting mode");
        AppendLog(LookupTextOr("WritePlan", "LeftDuringWrite",
                               "The device left its setting mode during the write: the rows "
                               "not yet sent were not sent.") +
                  "\r\n");
        FinishVerification(std::string(), true);
    }
    CControlUI* state = pm_.FindControl("DeviceState");
    if (state == nullptr)
        return;
    state->SetText(LookupText("SetDeviceState", on ? "szLoginOn" : "szLoginOff", ""));
    if (on) {
        if (CControlUI* help = pm_.FindControl("helpGroupBox"))
            help->SetVisible(false);
    }
}

// ---- Language ----------------------------------------------------------------------------------

void COrvelFrameWnd::SetRestartTarget(const std::string& program, const std::string& config) {
    g_restartProgram = program;
    g_restartConfig = config;
}

void COrvelFrameWnd::SwitchLanguage() {
    CComboUI* combo = AsCombo(pm_.FindControl("Language"));
    if (combo == nullptr)
        return;
    const int index = combo->GetCurSel();
    if (index < 0 || index == language_)
        return;
    const std::string config =
        g_restartConfig.empty() ? GetProgramFolder() + "config.ini" : g_restartConfig;
    const std::string program = g_restartProgram.empty() ? GetProgramPath() : g_restartProgram;
    auto giveUp = [&](const std::string& why) {
        // The program stays, in its language, and says why.
        combo->SelectItem(language_, false);
        ShowMessageBox(why, "DTU");
    };
    if (!::WritePrivateProfileStringW(L"Set", L"Language", WideOf(std::to_string(index)).c_str(),
                                      WideOf(config).c_str())) {
        giveUp(LookupTextOr("SwitchLanguage", "WriteError",
                      "config.ini could not be written: the language was not changed."));
        return;
    }
    ::ShowWindow(m_hWnd, SW_HIDE);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    // The new process may take the foreground from this one, which is about to go.
    ::AllowSetForegroundWindow(ASFW_ANY);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + WideOf(program) + L"\"";
    const std::wstring folder = WideOf(program.substr(0, program.find_last_of('\\') + 1));
    if (program.empty() ||
        !::CreateProcessW(WideOf(program).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                          nullptr, folder.empty() ? nullptr : folder.c_str(), &startup,
                          &process)) {
        const DWORD error = ::GetLastError();
        ::WritePrivateProfileStringW(L"Set", L"Language", WideOf(std::to_string(language_)).c_str(),
                                     WideOf(config).c_str());
        ::ShowWindow(m_hWnd, SW_SHOW);
        giveUp(LookupTextOr("SwitchLanguage", "StartError",
                      "The program could not be started again: the language was not changed.") +
               " " + SystemMessage(error));
        return;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::PostQuitMessage(0);
}

// ---- Tab strip ---------------------------------------------------------------------------------

void COrvelFrameWnd::InstallMnemonics() {
    // Alt+letter presses the main buttons; the letters are the skin's ("Mnemonic" section).
    static const char* const kButtons[] = {"Open",       "Login",      "Load",        "Save",
                                           "LoadFromFile", "SaveToFile", "RevertAll",
                                           "UndoWrite",  "CompareFile", "quit", "Station"};
    for (const char* name : kButtons) {
        const std::string letter = LookupText("Mnemonic", name, "");
        CControlUI* button = pm_.FindControl(name);
        if (button == nullptr || letter.size() != 1)
            continue;
        button->SetShortcut(letter[0]);
        const std::string tip = button->GetToolTip();
        button->SetToolTip((tip.empty() ? std::string() : tip + " ") + "(Alt+" + letter + ")");
    }
}

void COrvelFrameWnd::InstallAccessibility() {
    AccessibleWords words;
    const std::pair<const char*, std::string*> kWords[] = {
        {"Press", &words.press},   {"Check", &words.check},   {"Uncheck", &words.uncheck},
        {"Select", &words.select}, {"Open", &words.open},     {"Close", &words.close},
        {"Switch", &words.switchTo}, {"Alt", &words.alt},
    };
    for (const auto& [key, word] : kWords)
        *word = LookupTextOr("Accessible", key, word->c_str());
    CAccessibleTree::SetWords(words);
    // A page is named by its tab; a field (an edit or a combo) by the words its page shows for
    // it; the tree names everything else itself.
    pm_.SetAccessibleNamer([this](CControlUI* control) {
        CControlUI* parent = control->GetParent();
        if (parent != nullptr && parent == pm_.FindControl(kPageSwitchName)) {
            const int page = ControlAs<CContainerUI>(parent)->GetItemIndex(control);
            CControlUI* tab = page >= 0 && page < kTabCount
                                  ? pm_.FindControl(TabOptionName(page))
                                  : nullptr;
            return tab != nullptr ? tab->GetText() : std::string();
        }
        const std::string cls = control->GetClass();
        const std::string name = control->GetName();
        if (name.empty() || (cls != "EditUI" && cls != "ComboUI") ||
            pm_.FindControl(name) != control)
            return std::string();
        // A field of a list row is named by its column, which the tree finds itself.
        for (CControlUI* up = parent; up != nullptr; up = up->GetParent()) {
            if (AsListItem(up) != nullptr)
                return std::string();
        }
        return view_.FieldLabel(name);
    });
}

void COrvelFrameWnd::SelectNextPage(bool forward) {
    auto* pages = ControlAs<CTabLayoutUI>(pm_.FindControl(kPageSwitchName));
    if (pages == nullptr)
        return;
    const int current = pages->GetCurSel();
    for (int step = 1; step < kTabCount; ++step) {
        const int tab = ((current + (forward ? step : -step)) % kTabCount + kTabCount) % kTabCount;
        const std::string place = TabName(tab);
        if (!store_.tabs[size_t(tab)].enabled || pm_.FindControl(place) == nullptr)
            continue;
        // A tab the strip has scrolled away is brought into it first.
        for (int i = 0; i < kTabCount && !pm_.FindControl(place)->IsVisible(); ++i)
            UpdateTabStrip(forward ? TabStripStep::Right : TabStripStep::Left);
        if (auto* option = ControlAs<COptionUI>(pm_.FindControl(TabOptionName(tab)))) {
            option->Selected(true);
            // The keyboard goes on at the new page's first field (once it is laid out), or at
            // its tab when it has none.
            if (CControlUI* first = pm_.FirstTabStopIn(pages->GetItemAt(pages->GetCurSel())))
                pm_.SetFocusNeeded(first);
            else
                option->SetFocus();
        }
        return;
    }
}

void COrvelFrameWnd::FitTabStrip() {
    ::KillTimer(m_hWnd, kTabFitTimerId);
    CControlUI* strip = pm_.FindControl(kTabStripName);
    CControlUI* row = strip ? strip->GetParent() : nullptr;
    auto* cells = row ? ControlAs<CContainerUI>(row) : nullptr;
    if (cells == nullptr)
        return;
    // The skin's width is the most the strip takes; the other cells of its row keep theirs.
    if (skinStripWidth_ == 0)
        skinStripWidth_ = strip->GetFixedWidth();
    const RECT pos = row->GetPos();
    const RECT inset = cells->GetInset();
    int room = (pos.right - pos.left) - inset.left - inset.right;
    for (int i = 0; i < cells->GetCount(); ++i) {
        CControlUI* cell = cells->GetItemAt(i);
        if (cell != nullptr && cell != strip)
            room -= cell->GetFixedWidth() + cells->GetChildPadding();
    }
    const int width = std::max(0, std::min(skinStripWidth_, room));
    if (width != strip->GetFixedWidth())
        strip->SetFixedWidth(width);
    pages_.UpdateTabStrip(TabStripStep::Fit);
}

void COrvelFrameWnd::UpdateTabStrip(TabStripStep step) {
    pages_.UpdateTabStrip(step);
}
