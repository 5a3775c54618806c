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
            EXPECT_NE(reason->GetText().find("MSBITV refused"), std::string::npos)
                << reason->GetText();
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
