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

TEST(Station, TwoPortsEachUnitMatchedVerifiedOrFailedOnItsOwnCard) {
    CPaintManagerUI::SetInstance(GetModuleHandleA(nullptr));
    LoadStartupSettings(ProgramFolder());
    CPaintManagerUI::SetResourcePath(GetSkinFolder());
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
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
    auto* ports = ControlAs<CContainerUI>(window->FindControl("StationPorts"));
    ASSERT_NE(ports, nullptr);
    int ticked = 0;
    for (int i = 0; i < ports->GetCount(); ++i) {
        auto* box = ControlAs<COptionUI>(ports->GetItemAt(i));
        if (box && (box->GetUserData() == first || box->GetUserData() == second)) {
            box->Selected(true);
            ++ticked;
        }
    }
    ASSERT_EQ(ticked, 2);
    wintest::PumpUntil([] { return false; }, 300);
    Shot(*window, "ready");

    // Without a report the line does not start, and says why.
    set("StationReport", "");
    EXPECT_FALSE(window->Start());
    EXPECT_FALSE(window->FindControl("StationStatus")->GetText().empty());
    set("StationReport", Scratch("report.csv"));

    // How long the window takes to answer, at rest and while the ports work: a probe from
    // another thread, as the system's input is, every 20 ms.
    std::atomic<bool> probing{true};
    std::atomic<long long> worst{0};
    std::atomic<int> probes{0};
    auto probe = [&](HWND target) {
        while (probing) {
            const auto t0 = std::chrono::steady_clock::now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            const long long ms = std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now() - t0)
                                     .count();
            worst = std::max(worst.load(), ms);
            ++probes;
            Sleep(20);
        }
    };
    std::thread atRest(probe, window->GetHWND());
    wintest::PumpUntil([] { return false; }, 1000);
    probing = false;
    atRest.join();
    const long long restWorst = worst;
    worst = 0;
    probes = 0;
    probing = true;
    ASSERT_TRUE(window->Start());
    std::thread working(probe, window->GetHWND());
    const bool finished = wintest::PumpUntil(
        [&] { return window->Board().Done() + window->Board().Failed() >= 2; }, 90000);
    probing = false;
    working.join();
    ASSERT_TRUE(finished) << window->FindControl("StationStatus")->GetText();
    std::printf("[ figure ] station window answers within %.1f ms at worst (%d probes) while two "
                "ports work; at rest %.1f ms\n",
                worst / 1000.0, probes.load(), restWorst / 1000.0);
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

} // namespace
