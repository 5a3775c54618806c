// Figures of the operation log's load on the windowless rich edit: appending 300000
// characters in 4000-byte chunks under the log's emptying rule, and the process's memory after
// 10000 appends. Windows program; run it under Wine through tests/harness/winrun. Prints
// figures only.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "ui/UIBase.h"
#include "ui/UIContainer.h"
#include "ui/UIManager.h"
#include "ui/UIRichEdit.h"

namespace {

constexpr int kLogLimit = 300000;

class CBenchWindow : public CWindowWnd {
public:
    const char* GetWindowClassName() const override { return "OrvelTextBench"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_CREATE)
            pm.Init(m_hWnd);
        LRESULT lRes = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    CPaintManagerUI pm;
};

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Memory {
    double privateMb = 0, workingMb = 0;
};

Memory ReadMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    // Committed private memory (the page-file usage), and the working set.
    return Memory{counters.PagefileUsage / 1048576.0, counters.WorkingSetSize / 1048576.0};
}

// What the program's log does with a text (without its 100 ms pause).
void AppendLog(CRichEditUI* log, const std::string& text, int& emptied) {
    if (log->GetTextLength() + long(text.size()) >= log->GetLimitText() - 1) {
        log->SetText("");
        ++emptied;
    }
    log->AppendText(text, false);
    log->EndDown();
}

} // namespace

int main() {
    CBenchWindow window;
    window.Create(nullptr, "text bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 20, 20, 640, 360);
    auto* root = new CContainerUI;
    auto* log = new CRichEditUI;
    log->SetAttribute("multiline", "true");
    log->SetAttribute("readonly", "true");
    log->SetAttribute("vscrollbar", "true");
    log->SetAttribute("rich", "false");
    log->SetBkColor(0xFFFFFFFF);
    root->Add(log);
    window.pm.AttachDialog(root);
    ::UpdateWindow(window.GetHWND());
    Pump();
    if (!log->HasHost()) {
        std::printf("rich edit: the text services of Riched20.dll are not available\n");
        return 1;
    }
    log->SetLimitText(kLogLimit);

    // A device reply as it arrives: lines of a listing, 4000 bytes a chunk.
    std::string chunk;
    for (int i = 0; chunk.size() < 4000; ++i)
        chunk += "Server " + std::to_string(i % 4) + " Address:192.168.1." + std::to_string(i) +
                 " Port:5000\r\n";
    chunk.resize(4000);

    int emptied = 0;
    double appendMs = 0, paintMs = 0;
    const int chunks = kLogLimit / 4000;
    for (int i = 0; i < chunks; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        AppendLog(log, chunk, emptied);
        auto t1 = std::chrono::steady_clock::now();
        ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(window.GetHWND());
        Pump();
        auto t2 = std::chrono::steady_clock::now();
        appendMs += Ms(t1 - t0);
        paintMs += Ms(t2 - t1);
    }
    std::printf("rich edit: %d appends of 4000 bytes (300000 characters): append %.1f ms in all "
                "(%.2f ms each), paint %.1f ms in all (%.2f ms each); %d emptied; length %ld\n",
                chunks, appendMs, appendMs / chunks, paintMs, paintMs / chunks, emptied,
                log->GetTextLength());

    // Hours of use: 10000 appends of reply-sized texts, the log emptied at its limit.
    log->SetText("");
    const Memory before = ReadMemory();
    const std::string line = "send:AT+CSQ\r\n+CSQ: 23,99\r\nOK\r\n";
    emptied = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 10000; ++i) {
        AppendLog(log, line + std::to_string(i) + "\r\n", emptied);
        if (i % 100 == 0) {
            ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
            ::UpdateWindow(window.GetHWND());
            Pump();
        }
    }
    const double ms = Ms(std::chrono::steady_clock::now() - t0);
    const Memory after = ReadMemory();
    std::printf("rich edit: 10000 appends of %zu bytes in %.0f ms (%.3f ms each), %d emptied; "
                "memory private %.1f -> %.1f MB, working set %.1f -> %.1f MB\n",
                line.size() + 6, ms, ms / 10000, emptied, before.privateMb, after.privateMb,
                before.workingMb, after.workingMb);
    // The same again: memory must level off rather than grow with every round.
    for (int i = 0; i < 10000; ++i)
        AppendLog(log, line + std::to_string(i) + "\r\n", emptied);
    const Memory again = ReadMemory();
    std::printf("rich edit: after 10000 more appends: private %.1f MB, working set %.1f MB\n",
                again.privateMb, again.workingMb);
    ::DestroyWindow(window.GetHWND());
    return 0;
}
