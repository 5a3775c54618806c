// The station window under Wine with two virtual COM ports and a simulated unit on each: the
// units are matched to their rows by their IDs, one is verified and one refuses a value, and
// each card shows its own result; the report holds both. Screenshots in the skin's language
// and DPI (station-*.bmp).
#include "shell/station_wnd.h"

#include "base/settings.h"
#include "frame_fixture.h"
#include "support/wintest.h"
#include "ui/UIControls.h"

#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using frametest::ProgramFolder;
using frametest::Scratch;

size_t Lines(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

void Shot(CStationWnd& window, const std::string& name) {
    const std::string language = wintest::Env("ORVEL_TEST_LANGUAGE") == "1" ? "zh" : "en";
    wintest::SaveBmp(wintest::CaptureWindow(window),
                     wintest::ArtifactsDir() + "\\station-" + name + "-" + language + "-" +
                         wintest::Env("ORVEL_DPI", "96") + ".bmp");
}

// How long a window takes to answer a message sent from another thread (as the system's
// input is), probed every 20 ms while `busy` runs on this thread: the worst, in ms.
struct Answering {
    double worstMs = 0;
    int probes = 0;
};
Answering ProbeWhile(HWND window, const std::function<void()>& busy) {
    std::atomic<bool> probing{true};
    std::atomic<long long> worst{0};
    std::atomic<int> probes{0};
    std::thread probe([&] {
        while (probing) {
            const auto t0 = std::chrono::steady_clock::now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            const long long us = std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - t0)
                                     .count();
            worst = std::max(worst.load(), us);
            ++probes;
            Sleep(20);
        }
    });
    busy();
    probing = false;
    // A probe still on its way is answered: the window keeps taking messages until the probe
    // thread is done.
    std::atomic<bool> ended{false};
    std::thread waiter([&] {
        probe.join();
        ended = true;
    });
    wintest::PumpUntil([&] { return ended.load(); }, 10000);
    waiter.join();
    return {worst / 1000.0, probes.load()};
}

void SetUpStation() {
    CPaintManagerUI::SetInstance(GetModuleHandleA(nullptr));
    LoadStartupSettings(ProgramFolder());
    CPaintManagerUI::SetResourcePath(GetSkinFolder());
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

// Ticks the system's ports named, in the window's list; how many were found.
int TickPorts(CStationWnd& window, const std::vector<std::string>& names) {
    auto* ports = ControlAs<CContainerUI>(window.FindControl("StationPorts"));
    int ticked = 0;
    for (int i = 0; ports != nullptr && i < ports->GetCount(); ++i) {
        auto* box = ControlAs<COptionUI>(ports->GetItemAt(i));
        if (box && std::find(names.begin(), names.end(), box->GetUserData()) != names.end()) {
            box->Selected(true);
            ++ticked;
        }
    }
    return ticked;
}

TEST(Station, TwoPortsEachUnitMatchedVerifiedOrFailedOnItsOwnCard) {
    SetUpStation();
    const std::string first = wintest::Env("ORVEL_COM_PORT"), second = wintest::Env("ORVEL_COM_PORT2");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    wintest::WriteFileText(Scratch("template.cfg"), "Protocol model:PROT\r\nServer's Ip:10.0.0.9\r\n");
    wintest::WriteFileText(Scratch("units.csv"), "unit,Modem'sID number,Server's Port,MSBITV\r\n"
                                                 "S-1,13900000301,9301,61\r\n"
                                                 "S-2,13900000302,9302,x1\r\n");
    CStationWnd* window = CStationWnd::Open(nullptr, Scratch("backups"));
    ASSERT_NE(window, nullptr);
    auto set = [&](const char* name, const std::string& text) {
        CControlUI* control = window->FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        control->SetText(text);
    };
    set("StationTemplate", Scratch("template.cfg"));
    set("StationUnits", Scratch("units.csv"));
    set("StationReport", Scratch("report.csv"));
    set("StationMatch", "Modem'sID number");
    set("StationOperator", "Li Wei");
    // The system's list offers both ports (with their names and in-use marks); tick them.
    ASSERT_EQ(TickPorts(*window, {first, second}), 2);
    wintest::PumpUntil([] { return false; }, 300);
    Shot(*window, "ready");

    // Without a report the line does not start, and says why.
    set("StationReport", "");
    EXPECT_FALSE(window->Start());
    EXPECT_FALSE(window->FindControl("StationStatus")->GetText().empty());
    set("StationReport", Scratch("report.csv"));

    ASSERT_TRUE(window->Start());
    ASSERT_TRUE(wintest::PumpUntil(
        [&] { return window->Board().Done() + window->Board().Failed() >= 2; }, 90000))
        << window->FindControl("StationStatus")->GetText();
    wintest::PumpUntil([] { return false; }, 300);
    Shot(*window, "done");
    const std::vector<StationCard>& cards = window->Board().Cards();
    ASSERT_EQ(cards.size(), 2u);
    for (size_t i = 0; i < cards.size(); ++i) {
        CControlUI* result = window->CardControl(i, "CardResult");
        CControlUI* reason = window->CardControl(i, "CardReason");
        ASSERT_NE(result, nullptr);
        if (cards[i].port == first) {
            EXPECT_EQ(cards[i].tone, StationCard::Tone::Good) << cards[i].reason;
            EXPECT_EQ(result->GetText(), LookupTextOr("Station", "Verified", "Verified"));
        } else {
            EXPECT_EQ(cards[i].tone, StationCard::Tone::Bad);
            EXPECT_EQ(result->GetText(), LookupTextOr("Station", "Failed", "Failed"));
            // The reason in the skin's words.
            std::string refused = LookupTextOr("StationReason", "RowRefused", "%1 refused");
            refused.replace(refused.find("%1"), 2, "MSBITV");
            EXPECT_NE(reason->GetText().find(refused), std::string::npos) << reason->GetText();
        }
    }
    const std::string report = wintest::ReadFileText(Scratch("report.csv"));
    EXPECT_EQ(Lines(report), 3u) << report;
    EXPECT_NE(report.find(",S-1,"), std::string::npos);
    EXPECT_NE(report.find(",Li Wei,13900000301"), std::string::npos) << report;
    EXPECT_NE(window->FindControl("StationCounts")->GetText().find("1"), std::string::npos);

    // Stop, then close: the window goes once the line has ended.
    window->Stop();
    window->CloseWindow();
    EXPECT_TRUE(wintest::PumpUntil([] { return CStationWnd::Current() == nullptr; }, 30000));
}

// Four ports at once (run with four virtual COM ports, else skipped): every unit verified on
// its own card, and the figure of how the window answers meanwhile beside its answer at rest.
TEST(Station, FourPortsAtOnceAndTheWindowKeepsAnswering) {
    std::vector<std::string> ports = {wintest::Env("ORVEL_COM_PORT")};
    for (const char* name : {"ORVEL_COM_PORT2", "ORVEL_COM_PORT3", "ORVEL_COM_PORT4"})
        ports.push_back(wintest::Env(name));
    if (ports.back().empty())
        GTEST_SKIP() << "needs four virtual COM ports";
    SetUpStation();
    wintest::WriteFileText(Scratch("template4.cfg"), "Protocol model:PROT\r\nServer's Ip:10.0.0.9\r\n");
    std::string units = "unit,Modem'sID number,Server's Port\r\n";
    for (int n = 1; n <= 4; ++n)
        units += "F-" + std::to_string(n) + ",1390000030" + std::to_string(n) + "," +
                 std::to_string(9400 + n) + "\r\n";
    wintest::WriteFileText(Scratch("units4.csv"), units);
    DeleteFileA(Scratch("report4.csv").c_str());
    CStationWnd* window = CStationWnd::Open(nullptr, Scratch("backups"));
    ASSERT_NE(window, nullptr);
    window->FindControl("StationTemplate")->SetText(Scratch("template4.cfg"));
    window->FindControl("StationUnits")->SetText(Scratch("units4.csv"));
    window->FindControl("StationReport")->SetText(Scratch("report4.csv"));
    window->FindControl("StationMatch")->SetText("Modem'sID number");
    ASSERT_EQ(TickPorts(*window, ports), 4);
    const Answering rest = ProbeWhile(*window, [] { wintest::PumpUntil([] { return false; }, 1000); });
    ASSERT_TRUE(window->Start());
    bool finished = false;
    const Answering working = ProbeWhile(*window, [&] {
        finished = wintest::PumpUntil(
            [&] { return window->Board().Done() + window->Board().Failed() >= 4; }, 120000);
    });
    ASSERT_TRUE(finished) << window->FindControl("StationStatus")->GetText();
    std::printf("[ figure ] station window answers within %.1f ms at worst (%d probes) while four "
                "ports work; at rest %.1f ms\n",
                working.worstMs, working.probes, rest.worstMs);
    EXPECT_EQ(window->Board().Done(), 4) << window->FindControl("StationStatus")->GetText();
    EXPECT_EQ(Lines(wintest::ReadFileText(Scratch("report4.csv"))), 5u);
    Shot(*window, "four");
    window->Stop();
    window->CloseWindow();
    EXPECT_TRUE(wintest::PumpUntil([] { return CStationWnd::Current() == nullptr; }, 30000));
}

} // namespace
