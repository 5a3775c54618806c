// The operation log's own menu items: saving the log to a text file, and time stamps at the
// start of every line (off by default, so that the log's texts stay as they are).
#include "shell/frame_wnd.h"
#include "version.h"

#include "base/file_dialog.h"
#include "base/settings.h"
#include "params/snapshots.h"
#include "serial/serial_line.h"
#include "base/wide.h"
#include "shell/config_file_dialogs.h"
#include "ui/UIRichEdit.h"

#include <shellapi.h>

#include <ctime>

namespace {

constexpr int kSaveLogCommand = CRichEditUI::kFirstExtraCommand;
constexpr int kTimeStampsCommand = CRichEditUI::kFirstExtraCommand + 1;
constexpr int kDataFolderCommand = CRichEditUI::kFirstExtraCommand + 2;
constexpr int kDiagnosticsCommand = CRichEditUI::kFirstExtraCommand + 3;

// The save dialog for a text file (the log, diagnostics), offering `suggested`; false when
// cancelled.
bool ChooseTextFile(HWND owner, const std::wstring& suggested, std::string& file) {
    std::wstring name(32768, L'\0');
    std::copy(suggested.begin(), suggested.end(), name.begin());
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFile = &name[0];
    ofn.nMaxFile = DWORD(name.size());
    ofn.lpstrFilter = L"Text (*.txt)\0*.txt\0All (*.*)\0*.*\0";
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!RunFileDialog(ofn, true))
        return false;
    file = Utf8Of(name.c_str());
    return true;
}

} // namespace

void COrvelFrameWnd::SetLogTimeStamps(bool on) {
    // The choice holds across starts.
    if (on != logTimeStamps_)
        RememberLogTimeStamps(on);
    logTimeStamps_ = on;
    if (logView_)
        logView_->SetExtraMenuChecked(kTimeStampsCommand, on);
}

std::string COrvelFrameWnd::Stamped(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        if (logAtLineStart_ && c != '\r' && c != '\n') {
            if (logTimeStamps_) {
                std::time_t now = std::time(nullptr);
                std::tm local = {};
                localtime_s(&local, &now);
                char stamp[16] = {};
                std::strftime(stamp, sizeof(stamp), "%H:%M:%S ", &local);
                out += stamp;
            }
            logAtLineStart_ = false;
        }
        if (c == '\n' || c == '\r')
            logAtLineStart_ = true;
        out += c;
    }
    return out;
}

bool COrvelFrameWnd::SaveLog(const std::string& path) {
    if (logView_ == nullptr)
        return false;
    // The view ends its lines with CR alone; the file gets CR LF.
    const std::string text = logView_->GetText();
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes += text[i];
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
            bytes += '\n';
    }
    return WriteFileReplacing(path, bytes);
}

std::string COrvelFrameWnd::DiagnosticsText() {
    std::string text = "DTU configuration tool " + std::string(ORVEL_VERSION_TEXT) + "\r\n";
    OSVERSIONINFOW os = {};
    os.dwOSVersionInfoSize = sizeof(os);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    if (auto get = reinterpret_cast<RtlGetVersionFn>(
            ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")))
        get(&os);
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    ::GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    text += "System: Windows " + std::to_string(os.dwMajorVersion) + "." +
            std::to_string(os.dwMinorVersion) + " build " + std::to_string(os.dwBuildNumber) +
            ", locale " + Utf8Of(std::wstring(locale)) + ", code page " +
            std::to_string(::GetACP()) + ", DPI " + std::to_string(pm_.GetDpi()) + "\r\n";
    text += "Skin: " + GetSkinFolder() + "\r\nData: " + GetLocalDataFolder() +
            (IsPortable() ? " (portable)" : " (installed)") + "\r\n\r\n[Ports]\r\n";
    for (const SerialPortInfo& port : ports_)
        text += DescribePort(port) + "\r\n";
    text += "\r\n[Last write plan]\r\n";
    const PlanTexts texts = OutcomeTexts();
    for (const PlanRow& row : plan_) {
        const bool secret = IsPrivateKey(row.job.key);
        text += FieldName(row) + "\t" + (secret ? "***" : row.deviceValue) + "\t" +
                (secret ? "***" : row.newValue) + "\t" + OutcomeText(row.outcome, texts) + "\r\n";
    }
    text += "\r\n[Device listing]\r\n" + MaskedListing(deviceListing_);
    text += "\r\n[Operation log]\r\n" + MaskedListing(logView_ ? logView_->GetText() : "");
    // Whatever else still holds a secret or a number the device reported (a command echoed in
    // the log, another label's copy of it) loses it too.
    for (const auto& [key, entry] : store_.parameters) {
        if (!IsPrivateKey(key) || entry.value.size() < 4)
            continue;
        for (size_t at = text.find(entry.value); at != std::string::npos;
             at = text.find(entry.value, at + 3))
            text.replace(at, entry.value.size(), "***");
    }
    return text;
}

bool COrvelFrameWnd::SaveDiagnostics(const std::string& path) {
    return WriteFileReplacing(path, DiagnosticsText());
}

void COrvelFrameWnd::ChooseAndSaveDiagnostics() {
    std::string file;
    if (!ChooseTextFile(m_hWnd, L"DtuConfig-diagnostics.txt", file))
        return;
    if (SaveDiagnostics(file))
        AppendLog(LookupTextOr("LogMenu", "DiagnosticsSaved",
                               "Diagnostics for support (passwords and phone numbers masked) saved "
                               "to") +
                  " " + file + "\r\n");
    else
        AppendLog(LookupTextOr("LogMenu", "SaveError", "The log could not be saved to") + " " +
                  file + "\r\n");
}

void COrvelFrameWnd::ChooseAndSaveLog() {
    std::string file;
    if (!ChooseTextFile(m_hWnd, L"", file))
        return;
    if (SaveLog(file))
        AppendLog(LookupTextOr("LogMenu", "Saved", "The log was saved to") + " " + file + "\r\n");
    else
        AppendLog(LookupTextOr("LogMenu", "SaveError", "The log could not be saved to") + " " +
                  file + "\r\n");
}

void COrvelFrameWnd::OnLogMenu(int id) {
    if (id == kSaveLogCommand)
        ChooseAndSaveLog();
    else if (id == kTimeStampsCommand)
        SetLogTimeStamps(!logTimeStamps_);
    else if (id == kDataFolderCommand)
        OpenDataFolder();
    else if (id == kDiagnosticsCommand)
        ChooseAndSaveDiagnostics();
}

void COrvelFrameWnd::InstallLogMenu() {
    if (logView_ == nullptr)
        return;
    logTimeStamps_ = LoadLogTimeStamps();
    logView_->SetExtraMenu(
        {{kSaveLogCommand, LookupTextOr("LogMenu", "SaveLog", "&Save log..."), false},
         {kTimeStampsCommand, LookupTextOr("LogMenu", "TimeStamps", "&Time stamps"),
          logTimeStamps_},
         {kDataFolderCommand, LookupTextOr("LogMenu", "DataFolder", "Open &data folder"), false},
         {kDiagnosticsCommand, LookupTextOr("LogMenu", "Diagnostics", "Save dia&gnostics..."),
          false}},
        [this](int id) { OnLogMenu(id); });
}

void COrvelFrameWnd::OpenDataFolder() {
    // Where the settings, the snapshots and crash reports are: beside the program when it is
    // portable, the user's application-data folder when it is installed.
    const std::string folder = GetLocalDataFolder();
    ::CreateDirectoryW(WideOf(folder).c_str(), nullptr);
    AppendLog(LookupTextOr("LogMenu", "DataFolderIs", "The program keeps your data in") + " " +
              folder + "\r\n");
    if (!openFolderHook_)
        ::ShellExecuteW(m_hWnd, L"open", WideOf(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
