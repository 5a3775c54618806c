#include "shell/config_file_dialogs.h"

#include "base/file_dialog.h"
#include "base/wide.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

// Filter lists: pairs of description and pattern, each ending in a zero, the list in two.
const wchar_t kOpenFilterEnglish[] = L"cfg(*.cfg)\0*.cfg\0 All File(*.*)\0*.*\0";
const wchar_t kSaveFilterEnglish[] = L"cfg(*.cfg)\0*.cfg\0All File(*.*)\0*.*\0";
// "cfg文件(*.cfg)" and "所有文件(*.*)".
const wchar_t kFilterChinese[] = L"cfg\u6587\u4EF6(*.cfg)\0*.cfg\0"
                                 L"\u6240\u6709\u6587\u4EF6(*.*)\0*.*\0";

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The user's Documents folder ("" when the system names none). The shell's library is loaded
// only when a dialog asks for it: loading it at start-up costs the program's start time.
std::wstring DocumentsFolder() {
    using GetFolderFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    HMODULE shell = ::LoadLibraryW(L"shell32.dll");
    const auto getFolder = shell ? reinterpret_cast<GetFolderFn>(reinterpret_cast<void*>(
                                       ::GetProcAddress(shell, "SHGetFolderPathW")))
                                 : nullptr;
    wchar_t folder[MAX_PATH] = {};
    if (getFolder && SUCCEEDED(getFolder(nullptr, CSIDL_PERSONAL, nullptr, 0, folder)))
        return folder;
    return std::wstring();
}

// The common dialog is centred over its owner once it is laid out.
UINT_PTR CALLBACK CentreHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_NOTIFY &&
        reinterpret_cast<const OFNOTIFYW*>(lParam)->hdr.code == CDN_INITDONE)
        CentreOverOwner(::GetParent(dialog));
    return 0;
}

} // namespace

void CentreOverOwner(HWND window) {
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (window == nullptr || owner == nullptr || !::IsWindowVisible(owner) || ::IsIconic(owner))
        return;
    RECT box = {}, over = {};
    ::GetWindowRect(window, &box);
    ::GetWindowRect(owner, &over);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    const int width = box.right - box.left, height = box.bottom - box.top;
    int x = (over.left + over.right - width) / 2;
    int y = (over.top + over.bottom - height) / 2;
    x = std::max<int>(area.left, std::min<int>(x, area.right - width));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ChooseConfigFile(HWND owner, bool save, int language, const std::string& lastPath,
                      std::string& path) {
    // No name is offered that is not there: the last file when it still exists, else none.
    std::wstring file(32768, L'\0');
    const std::wstring last = WideOf(lastPath);
    if (!last.empty() && IsFile(last)) {
        const size_t slash = last.find_last_of(L"\\/");
        const std::wstring name = slash == std::wstring::npos ? last : last.substr(slash + 1);
        std::copy(name.begin(), name.end(), file.begin());
    }
    // The folder of the last file used, or Documents.
    std::wstring folder = WideOf(FolderOf(lastPath));
    if (folder.empty() || !IsFolder(folder))
        folder = DocumentsFolder();

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFile = &file[0];
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.nFilterIndex = 0;
    if (language == 0)
        ofn.lpstrFilter = save ? kSaveFilterEnglish : kOpenFilterEnglish;
    else
        ofn.lpstrFilter = kFilterChinese;
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    ofn.lpfnHook = CentreHook;
    if (save) {
        ofn.Flags |= OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        ofn.lpstrDefExt = L"cfg";
    } else {
        ofn.Flags |= OFN_FILEMUSTEXIST;
    }
    const BOOL chosen = RunFileDialog(ofn, save);
    if (!chosen)
        return false;
    path = Utf8Of(file.c_str());
    return true;
}

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    HANDLE file = ::CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes.assign(maxBytes + 1, '\0');
    size_t got = 0;
    bool failed = false;
    while (got < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - got, 1u << 20));
        if (!::ReadFile(file, &bytes[got], chunk, &read, nullptr)) {
            failed = true;
            break;
        }
        if (read == 0)
            break;
        got += read;
    }
    ::CloseHandle(file);
    bytes.resize(got);
    return !failed;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::wstring target = WideOf(path);
    const std::wstring temporary = target + L".part";
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    size_t done = 0;
    bool written = true;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
            written = false;
            break;
        }
        done += wrote;
    }
    const bool flushed = written && ::FlushFileBuffers(file);
    const bool closed = ::CloseHandle(file) != 0;
    if (!written || !flushed || !closed ||
        !::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

namespace {

HHOOK g_boxHook = nullptr;

// The next window activated on this thread (the message box) is centred over its owner.
LRESULT CALLBACK CentreBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        CentreOverOwner(reinterpret_cast<HWND>(wParam));
        ::UnhookWindowsHookEx(g_boxHook);
        g_boxHook = nullptr;
        return 0;
    }
    return ::CallNextHookEx(g_boxHook, code, wParam, lParam);
}

} // namespace

int CentredMessageBox(HWND owner, const std::string& text, const std::string& caption,
                      UINT flags) {
    if (owner != nullptr && g_boxHook == nullptr)
        g_boxHook = ::SetWindowsHookExW(WH_CBT, CentreBoxHook, nullptr, ::GetCurrentThreadId());
    const int answer = ::MessageBoxW(owner, WideOf(text).c_str(), WideOf(caption).c_str(), flags);
    if (g_boxHook != nullptr) {
        ::UnhookWindowsHookEx(g_boxHook);
        g_boxHook = nullptr;
    }
    return answer;
}
