// Start-up of the program beside a trivial Wine window started the same way: for each, the time
// from CreateProcess until the process has a visible top-level window and has gone idle after
// painting it (WaitForInputIdle), median of several starts. Each started window is closed with
// WM_CLOSE and its process awaited before the next start.
//   start_bench PROGRAM TRIVIAL [STARTS]
#include <windows.h>

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

// Milliseconds until the started program shows its window and is idle; negative on failure.
double TimeOneStart(const std::string& program) {
    std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return -1;
    Search search = {pi.dwProcessId, nullptr};
    const auto limit = start + std::chrono::seconds(30);
    while (search.found == nullptr && std::chrono::steady_clock::now() < limit) {
        WaitForInputIdle(pi.hProcess, 50);
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr)
            Sleep(1);
    }
    WaitForInputIdle(pi.hProcess, 10000);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    if (search.found != nullptr)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return search.found != nullptr ? ms : -1;
}

double MedianOfStarts(const std::string& program, int starts) {
    std::vector<double> times;
    for (int i = 0; i < starts; ++i) {
        const double ms = TimeOneStart(program);
        if (ms >= 0)
            times.push_back(ms);
    }
    if (times.empty())
        return -1;
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: start_bench PROGRAM TRIVIAL [STARTS]\n");
        return 2;
    }
    const int starts = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    MedianOfStarts(argv[2], 1); // the first start of any process warms Wine up
    const double trivial = MedianOfStarts(argv[2], starts);
    const double program = MedianOfStarts(argv[1], starts);
    if (trivial <= 0 || program <= 0) {
        std::printf("start-up: a window did not appear (program %.1f ms, trivial %.1f ms)\n",
                    program, trivial);
        return 1;
    }
    std::printf("%-58s %10.1f ms \n", "start-up of a trivial Wine window (median)", trivial);
    std::printf("%-58s %10.1f ms   floor %9.1f  ratio %5.2f\n",
                "start-up of the program to its painted window (median)", program, trivial,
                program / trivial);
    return 0;
}
