// Figures of the whole program, in process, against the simulated device on a virtual COM port
// (run through tests/harness/winrun with dtusim as the peer, see tools/bench.sh). Prints one
// line per figure: name, value, unit, and its floor and ratio where the figure has one.
//   frame_bench [READS]     READS: reads in a row for the working-set figure (default 100)
// Environment: ORVEL_DIST_DIR (the unpacked program), ORVEL_TEST_DIR_WIN (the run's scratch
// folder, holding the simulator's control file "control").
#include "base/messages.h"
#include "params/config_file.h"
#include "params/value_rules.h"
#include "shell/frame_wnd.h"
#include "base/settings.h"
#include "support/wintest.h"
#include "ui/UICombo.h"

#include <objbase.h>
#include <oleacc.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Figure(const char* name, double value, const char* unit, double floor = 0) {
    if (floor > 0)
        std::printf("%-58s %10.1f %-3s  floor %9.1f  ratio %5.2f\n", name, value, unit, floor,
                    value / floor);
    else
        std::printf("%-58s %10.1f %-3s\n", name, value, unit);
    std::fflush(stdout);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

size_t WorkingSetKb() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize / 1024;
}

double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

class Bench {
public:
    bool Start() {
        const std::string dist = wintest::Env("ORVEL_DIST_DIR");
        CPaintManagerUI::SetInstance(GetModuleHandleA(nullptr));
        LoadStartupSettings(dist);
        CPaintManagerUI::SetResourcePath(GetSkinFolder());
        SetCurrentDirectoryA(dist.c_str());
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        COrvelFrameWnd::SetMessageBoxHook([](const char*, const char*) {});
        COrvelFrameWnd::SetConfirmHook([](const char*, const char*) { return true; });

        const Clock::time_point t0 = Clock::now();
        frame_.reset(new COrvelFrameWnd);
        if (!frame_->Create(nullptr, "DTU", WS_OVERLAPPEDWINDOW, 0, 0, 0, 1400, 800))
            return false;
        hwnd_ = frame_->GetHWND();
        frame_->StartWorker();
        frame_->CenterWindow();
        frame_->ShowWindow(true);
        UpdateWindow(hwnd_);
        Figure("window built, shown and first painted", Ms(Clock::now() - t0), "ms");
        Pump(300);
        return true;
    }

    void Pump(int ms) {
        wintest::PumpUntil([] { return false; }, ms);
    }
    bool PumpUntil(const std::function<bool()>& done, int ms) {
        return wintest::PumpUntil(done, ms);
    }
    // Runs the message loop as the program's own does: asleep until a message arrives (the
    // test pump above wakes every 10 ms, which would count its own cost as the program's).
    void IdleLoop(int ms) {
        wintest::PumpUntil([] { return false; }, ms,
                           [](const MSG& msg) { return CPaintManagerUI::TranslateMessage(&msg); },
                           ms);
    }
    CControlUI* Find(const char* name) { return frame_->FindControl(name); }
    void Click(const char* name) {
        CControlUI* control = Find(name);
        if (!control)
            return;
        RECT r = control->GetPos();
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(hwnd_, WM_MOUSEMOVE, 0, at);
        PostMessageA(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(hwnd_, WM_LBUTTONUP, 0, at);
    }
    bool Idle(int ms = 60000) {
        Pump(50);
        return PumpUntil(
            [&] {
                CControlUI* load = Find("Load");
                return load && load->IsEnabled() && frame_->Link().Queue().Size() == 0;
            },
            ms);
    }
    // Dispatches until no layout rule is waiting in the queue.
    void PumpRules() {
        MSG msg;
        for (;;) {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (!PeekMessageA(&msg, hwnd_, WM_LAYOUT_RULE, WM_LAYOUT_RULE, PM_NOREMOVE))
                return;
        }
    }
    void Control(const std::string& line) {
        FILE* f = std::fopen((wintest::ScratchDir() + "\\control").c_str(), "ab");
        if (f) {
            std::fputs((line + "\n").c_str(), f);
            std::fclose(f);
        }
        Sleep(100);
    }

    bool OpenAt(int baud) {
        if (frame_->Link().IsOpen()) {
            Click("Open");
            Pump(200);
        }
        Control("baud " + std::to_string(baud));
        const std::string port = wintest::Env("ORVEL_COM_PORT", "COM9");
        if (auto* ports = static_cast<CComboUI*>(Find("SerialPort")->GetInterface("Combo")))
            for (int i = 0; i < ports->GetCount(); ++i)
                if (ports->GetItemAt(i)->GetText() == port)
                    ports->SelectItem(i, false);
        if (auto* rates = static_cast<CComboUI*>(Find("BaudRate1")->GetInterface("Combo")))
            for (int i = 0; i < rates->GetCount(); ++i)
                if (rates->GetItemAt(i)->GetText() == std::to_string(baud))
                    rates->SelectItem(i, false);
        Click("Open");
        Pump(300);
        if (!frame_->Link().IsOpen())
            return false;
        PumpUntil([&] { return Find("Login")->IsEnabled(); }, 5000);
        Click("Login");
        if (!PumpUntil([&] { return frame_->Link().IsSettingMode(); }, 10000))
            return false;
        return Idle();
    }

    // "Read device" until the queue ran dry, against the listing's wire time and the spacing.
    void ReadAt(int baud) {
        const Clock::time_point t0 = Clock::now();
        Click("Load");
        PumpUntil([&] { return !Find("Load")->IsEnabled(); }, 2000);
        Idle();
        const double ms = Ms(Clock::now() - t0);
        const double bytes = double(frame_->Link().Reply().Count());
        // The listing on the wire: the window is back as soon as its last line is in (the
        // 200 ms spacing holds between commands, not for the user).
        const double floor = bytes * 10.0 * 1000.0 / baud;
        listingBytes_ = bytes;
        char name[80];
        std::snprintf(name, sizeof(name), "Read device at %d baud (%.0f bytes)", baud, bytes);
        Figure(name, ms, "ms", floor);
    }

    void ShowTimes() {
        std::vector<double> times, showing, rows;
        LinkResult listing;
        listing.kind = LinkResult::Kind::Listing;
        listing.text = frame_->Link().Reply().Reply();
        for (int i = 0; i < 20; ++i) {
            const Clock::time_point t0 = Clock::now();
            SendMessageA(hwnd_, WM_LINK_RESULT, 0, reinterpret_cast<LPARAM>(&listing));
            const Clock::time_point t1 = Clock::now();
            PumpRules();
            times.push_back(Ms(Clock::now() - t0));
            showing.push_back(Ms(t1 - t0));
            const Clock::time_point t2 = Clock::now();
            {
                frame_->Pages().FillSensorList();
            }
            rows.push_back(Ms(Clock::now() - t2));
        }
        Figure("listing ready to the last layout rule (median of 20)", Median(times), "ms", 100);
        Figure("  of which parsing and showing the values", Median(showing), "ms");
        Figure("  filling the sensor rows alone", Median(rows), "ms");
    }

    void FileLoad() {
        const std::string listing = frame_->Link().Reply().Reply();
        const std::string path = wintest::ScratchDir() + "\\bench.cfg";
        wintest::WriteFileText(path, ListingToFileBytes(listing));
        const Clock::time_point t0 = Clock::now();
        std::string text;
        FileBytesToListing(wintest::ReadFileText(path), text);
        {
            ParseListing(text.data(), text.size(), frame_->Store().parameters,
                         frame_->Store().lists, frame_->Store().presence);
            frame_->Pages().ApplyValuesToControls();
        }
        PumpRules();
        Figure(".cfg file read onto the pages, to the last layout rule", Ms(Clock::now() - t0),
               "ms");
    }

    // Writes of n changed text fields (all in-use ones when n is 0) at the given rate.
    void Write(int n, int baud) {
        std::vector<std::string> keys;
        {
            for (const auto& [key, entry] : frame_->Store().parameters) {
                const auto& tabs = frame_->Store().tabs;
                if (entry.kind == EntryKind::Edit && entry.inUse && entry.tab >= 0 && entry.tab < 12 &&
                    tabs[size_t(entry.tab)].enabled && Find(key.c_str()) && !entry.command.empty() &&
                    CheckValue(key, "7") == RuleBreak::None)
                    keys.push_back(key);
            }
        }
        if (n > 0 && size_t(n) < keys.size())
            keys.resize(size_t(n));
        double floor = 0;
        for (const std::string& key : keys) {
            CControlUI* field = Find(key.c_str());
            const std::string value = field->GetText() == "7" ? "8" : "7";
            field->SetText(value);
            const std::string command = frame_->Store().parameters[key].command + "=" + value;
            floor += kCommandSpacingMs + (command.size() + 2 + 6) * 10.0 * 1000.0 / baud;
        }
        // The click to the painted plan window.
        const Clock::time_point t0 = Clock::now();
        Click("Save");
        PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 5000);
        if (frame_->PlanWindow() == nullptr)
            return;
        UpdateWindow(frame_->PlanWindow()->GetHWND());
        char name[80];
        std::snprintf(name, sizeof(name), "plan window of %zu changed fields, click to painted",
                      keys.size());
        Figure(name, Ms(Clock::now() - t0), "ms", 50);
        // "Write" to the last row verified: the commands, then one listing read.
        const Clock::time_point t1 = Clock::now();
        ClickInPlan("PlanWrite");
        PumpUntil([&] { return frame_->IsVerifying(); }, 2000);
        PumpUntil([&] { return !frame_->IsVerifying(); }, 120000);
        // The listing read follows the last command by the spacing; the first command goes at
        // once (its spacing in the sum above is not waited).
        floor += listingBytes_ * 10.0 * 1000.0 / baud;
        std::snprintf(name, sizeof(name), "write and verify of %zu changed parameters at %d baud",
                      keys.size(), baud);
        Figure(name, Ms(Clock::now() - t1), "ms", floor);
        ClickInPlan("PlanCancel");
        PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 2000);
        Idle();
    }

    void WorkMode(int item) {
        if (auto* mode = static_cast<CComboUI*>(Find("Protocolmodel")->GetInterface("Combo")))
            mode->SelectItem(item, false);
        Pump(300);
        Click("Save");
        AcceptPlan();
    }

    void IdleCost(int seconds, const char* what) {
        Click("Clear");
        Pump(200);
        const size_t before = WorkingSetKb();
        const double cpu0 = CpuMs();
        const Clock::time_point t0 = Clock::now();
        IdleLoop(seconds * 1000);
        const double wall = Ms(Clock::now() - t0);
        std::string name = std::string(what) + ": share of one core";
        Figure(name.c_str(), 100.0 * (CpuMs() - cpu0) / wall, "%");
        name = std::string(what) + ": working-set growth";
        Figure(name.c_str(), double(WorkingSetKb()) - double(before), "kB");
    }

    void Flood() {
        std::atomic<bool> running{true};
        std::atomic<double> worst{0};
        HWND hwnd = hwnd_;
        std::thread prober([&] {
            while (running) {
                const Clock::time_point t0 = Clock::now();
                DWORD_PTR result = 0;
                SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                const double ms = Ms(Clock::now() - t0);
                if (ms > worst)
                    worst = ms;
                Sleep(20);
            }
        });
        Control("fault flood:200000");
        Click("CPIN");
        PumpUntil([&] { return !Find("Load")->IsEnabled(); }, 2000);
        Idle(120000);
        running = false;
        prober.join();
        Figure("longest answer of the window during a 200 kB flood", worst, "ms", 100);
        Control("fault none");
    }

    void Reads(int count) {
        Click("Clear");
        Idle();
        const size_t first = WorkingSetKb();
        for (int i = 0; i < count; ++i) {
            Click("Clear");
            Click("Load");
            PumpUntil([&] { return !Find("Load")->IsEnabled(); }, 2000);
            Idle();
        }
        char name[80];
        std::snprintf(name, sizeof(name), "working set after 1 read, then after %d reads",
                      count + 1);
        Figure("working set after 1 read", double(first), "kB");
        Figure(name, double(WorkingSetKb()), "kB");
    }

    // A full repaint of the maximized window, median of 20.
    double RepaintMedian() {
        ShowWindow(hwnd_, SW_MAXIMIZE);
        Pump(500);
        std::vector<double> times;
        for (int i = 0; i < 20; ++i) {
            const Clock::time_point t0 = Clock::now();
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            times.push_back(Ms(Clock::now() - t0));
        }
        ShowWindow(hwnd_, SW_RESTORE);
        Pump(300);
        return Median(times);
    }
    void Repaint() {
        char name[80];
        std::snprintf(name, sizeof(name), "full repaint of the maximized window at %d DPI (median)",
                      frame_->PaintManager().GetDpi());
        Figure(name, RepaintMedian(), "ms", 8);
    }

    // The accessibility tree as a screen reader reads it: every object's name, role, state,
    // value and location, through oleacc (median of 5 walks, goal 200 ms); and a repaint with the
    // tree made against one before any client asked.
    void Accessibility() {
        const double before = RepaintMedian();
        std::vector<double> walks;
        size_t objects = 0;
        for (int i = 0; i < 5; ++i) {
            const Clock::time_point t0 = Clock::now();
            IAccessible* root = nullptr;
            if (FAILED(AccessibleObjectFromWindow(hwnd_, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                  reinterpret_cast<void**>(&root)))) {
                std::printf("frame_bench: the window gave no accessible object\n");
                return;
            }
            objects = WalkTree(root);
            root->Release();
            walks.push_back(Ms(Clock::now() - t0));
        }
        char name[80];
        std::snprintf(name, sizeof(name), "walking the whole accessibility tree (%zu objects)",
                      objects);
        Figure(name, Median(walks), "ms", 200);
        Figure("full repaint, tree made, against none made", RepaintMedian(), "ms", before);
    }
    static size_t WalkTree(IAccessible* object) {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        if (object->get_accName(self, &text) == S_OK)
            SysFreeString(text);
        text = nullptr;
        if (object->get_accValue(self, &text) == S_OK)
            SysFreeString(text);
        VARIANT v;
        VariantInit(&v);
        object->get_accRole(self, &v);
        VariantInit(&v);
        object->get_accState(self, &v);
        long x, y, w, h;
        object->accLocation(&x, &y, &w, &h, self);
        long count = 0;
        object->get_accChildCount(&count);
        size_t objects = 1;
        if (count <= 0)
            return objects;
        std::vector<VARIANT> children(static_cast<size_t>(count));
        long obtained = 0;
        if (FAILED(AccessibleChildren(object, 0, count, children.data(), &obtained)))
            return objects;
        for (long i = 0; i < obtained; ++i) {
            VARIANT& child = children[size_t(i)];
            if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
                IAccessible* accessible = nullptr;
                if (SUCCEEDED(child.pdispVal->QueryInterface(
                        __uuidof(IAccessible), reinterpret_cast<void**>(&accessible)))) {
                    objects += WalkTree(accessible);
                    accessible->Release();
                }
            }
            VariantClear(&child);
        }
        return objects;
    }

    // A click in the plan window at its named control.
    void ClickInPlan(const char* name) {
        CPlanWnd* plan = frame_->PlanWindow();
        CControlUI* control = plan ? plan->FindControl(name) : nullptr;
        if (!control)
            return;
        RECT r = control->GetPos();
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageA(plan->GetHWND(), WM_MOUSEMOVE, 0, at);
        PostMessageA(plan->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(plan->GetHWND(), WM_LBUTTONUP, 0, at);
    }
    // "Write" in the plan window, until the device has been read again; then the window closes.
    void AcceptPlan() {
        if (!PumpUntil([&] { return frame_->PlanWindow() != nullptr; }, 5000))
            return;
        ClickInPlan("PlanWrite");
        PumpUntil([&] { return frame_->IsVerifying(); }, 2000);
        PumpUntil([&] { return !frame_->IsVerifying(); }, 120000);
        ClickInPlan("PlanCancel");
        PumpUntil([&] { return frame_->PlanWindow() == nullptr; }, 2000);
        Idle();
    }

    std::unique_ptr<COrvelFrameWnd> frame_;
    HWND hwnd_ = nullptr;
    double listingBytes_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    CPaintManagerUI::DeclareDpiAwareness();
    const bool repaintOnly = argc > 1 && std::string(argv[1]) == "--repaint";
    const bool accessibleOnly = argc > 1 && std::string(argv[1]) == "--accessible";
    const int reads = argc > 1 && !repaintOnly && !accessibleOnly ? std::atoi(argv[1]) : 100;
    Bench bench;
    if (!bench.Start())
        return 1;
    if (accessibleOnly) {
        bench.Accessibility();
        bench.frame_.reset();
        return 0;
    }
    bench.Repaint();
    if (repaintOnly) {
        bench.frame_.reset();
        return 0;
    }
    bench.IdleCost(10, "idle, port closed");
    if (!bench.OpenAt(115200)) {
        std::printf("frame_bench: the program did not reach the simulated device\n");
        bench.frame_.reset();
        return 1;
    }
    bench.IdleCost(10, "idle, port open, before any read");
    bench.ReadAt(115200);
    bench.ShowTimes();
    bench.FileLoad();
    bench.Idle();
    bench.ReadAt(115200);
    bench.WorkMode(0); // a mode with many fields in use
    bench.Write(1, 115200);
    bench.Write(20, 115200);
    bench.Write(0, 115200);
    bench.IdleCost(20, "idle, port open, after the reads");
    bench.Flood();
    bench.Reads(reads);
    if (bench.OpenAt(9600))
        bench.ReadAt(9600);
    bench.frame_.reset();
    return 0;
}
