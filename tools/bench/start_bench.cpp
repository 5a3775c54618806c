// Start-up of the program beside a trivial Wine window started the same way: for each, the time
// from CreateProcess until the process has a visible top-level window and has gone idle after
// painting it (WaitForInputIdle), median of several starts taken in turn with the trivial
// window's. Each started window is closed with WM_CLOSE and its process awaited before the next
// start.
//   start_bench PROGRAM TRIVIAL [STARTS]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct Start {
    double paintedMs = -1;  // a visible window, painted, the process idle
    double answersMs = -1;  // ... and its window answers a message sent to it (a click would be)
    double restKb = -1;     // the working set half a second later, at rest
};

// One start of the program: its figures, or paintedMs < 0 on failure.
Start TimeOneStart(const std::string& program) {
    Start figures;
    std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const auto start = std::chrono::steady_clock::now();
    auto since = [&start] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return figures;
    Search search = {pi.dwProcessId, nullptr};
    const auto limit = start + std::chrono::seconds(30);
    while (search.found == nullptr && std::chrono::steady_clock::now() < limit) {
        WaitForInputIdle(pi.hProcess, 50);
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr)
            Sleep(1);
    }
    WaitForInputIdle(pi.hProcess, 10000);
    if (search.found != nullptr) {
        figures.paintedMs = since();
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer))
            figures.answersMs = since();
        Sleep(500);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters)))
            figures.restKb = double(counters.WorkingSetSize) / 1024.0;
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return figures;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Starts {
    std::vector<double> painted, answers, rest;
    void Add(const Start& one) {
        if (one.paintedMs < 0)
            return;
        painted.push_back(one.paintedMs);
        answers.push_back(one.answersMs);
        rest.push_back(one.restKb);
    }
    Start Medians() const { return {Median(painted), Median(answers), Median(rest)}; }
};

// The program's and the trivial window's starts taken in turn, so that whatever the machine
// does meanwhile weighs on both alike.
void TimeStartsInTurn(const std::string& program, const std::string& trivial, int starts,
                      Start& programFigures, Start& trivialFigures) {
    Starts ofProgram, ofTrivial;
    for (int i = 0; i < starts; ++i) {
        ofTrivial.Add(TimeOneStart(trivial));
        ofProgram.Add(TimeOneStart(program));
    }
    programFigures = ofProgram.Medians();
    trivialFigures = ofTrivial.Medians();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: start_bench PROGRAM TRIVIAL [STARTS]\n");
        return 2;
    }
    const int starts = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    TimeOneStart(argv[2]); // the first start of any process warms Wine up
    TimeOneStart(argv[1]);
    Start program, trivial;
    TimeStartsInTurn(argv[1], argv[2], starts, program, trivial);
    if (trivial.paintedMs <= 0 || program.paintedMs <= 0) {
        std::printf("start-up: a window did not appear (program %.1f ms, trivial %.1f ms)\n",
                    program.paintedMs, trivial.paintedMs);
        return 1;
    }
    auto line = [](const char* name, double value, double floor, const char* unit) {
        std::printf("%-58s %10.1f %-3s floor %9.1f  ratio %5.2f\n", name, value, unit, floor,
                    value / floor);
    };
    std::printf("%-58s %10.1f ms \n", "start-up of a trivial Wine window (median)",
                trivial.paintedMs);
    line("start-up of the program to its painted window (median)", program.paintedMs,
         trivial.paintedMs, "ms");
    line("start-up of the program until it answers (median)", program.answersMs,
         trivial.answersMs, "ms");
    line("working set at rest after start-up (median)", program.restKb / 1024.0,
         trivial.restKb / 1024.0, "MB");
    return 0;
}
