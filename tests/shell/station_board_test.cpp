// What the station shows, decided without a window: a card per port through its steps, a
// result that stays until the next unit is connected, the counts and the last units.
#include "shell/station_board.h"

#include <gtest/gtest.h>

#include <set>

namespace {

UnitProgress At(const std::string& port, UnitStage stage, size_t done = 0, size_t total = 0) {
    UnitProgress progress;
    progress.port = port;
    progress.stage = stage;
    progress.unit = "U-1";
    progress.identity = "139";
    progress.done = done;
    progress.total = total;
    return progress;
}

CJson Result(const std::string& port, const std::string& outcome, const std::string& reason) {
    CJson result = CJson::Object();
    result.Set("port", CJson::String(port));
    result.Set("unit", CJson::String("U-1"));
    result.Set("identity", CJson::String("139"));
    result.Set("outcome", CJson::String(outcome));
    result.Set("reason", CJson::String(reason));
    return result;
}

TEST(StationBoard, ACardFollowsItsUnitAndKeepsTheResultUntilTheNext) {
    CStationBoard board;
    board.SetPorts({"COM5", "COM6"});
    board.SetRows(3);
    board.OnProgress(At("COM5", UnitStage::Reading));
    EXPECT_EQ(board.Cards()[0].step, 2);
    EXPECT_EQ(board.Cards()[1].step, 0) << "the other port is untouched";
    board.OnProgress(At("COM5", UnitStage::Writing, 2, 5));
    EXPECT_EQ(board.Cards()[0].stage, "Writing 2 of 5");
    board.OnFinished(Result("COM5", "failed", "MSBITV refused"));
    EXPECT_EQ(board.Cards()[0].result, "Failed");
    EXPECT_EQ(board.Cards()[0].reason, "MSBITV refused");
    EXPECT_EQ(board.Cards()[0].tone, StationCard::Tone::Bad);
    // Waiting for the next unit: the result stays; the next unit connected clears it.
    board.OnProgress(At("COM5", UnitStage::Waiting));
    EXPECT_EQ(board.Cards()[0].result, "Failed");
    board.OnProgress(At("COM5", UnitStage::Reading));
    EXPECT_TRUE(board.Cards()[0].result.empty());
    board.OnFinished(Result("COM5", "verified", ""));
    board.OnFinished(Result("COM6", "unknown unit", "unknown unit: no row for 7"));
    EXPECT_EQ(board.Cards()[1].result, "Unknown unit");
    EXPECT_EQ(board.Done(), 1);
    EXPECT_EQ(board.Failed(), 2);
    EXPECT_EQ(board.Remaining(), 2u);
    EXPECT_EQ(board.CountsText(), "Done 1   Failed 2   Remaining 2");
    ASSERT_EQ(board.Recent().size(), 3u);
    EXPECT_NE(board.Recent().front().find("Unknown unit"), std::string::npos) << "newest first";
}

TEST(StationBoard, NumbersFillTheirPlacesInTheSkinsWords) {
    EXPECT_EQ(FillNumbers("正在写入 %1 / %2", {"3", "7"}), "正在写入 3 / 7");
    EXPECT_EQ(FillNumbers("%2 of %1", {"a", "b"}), "b of a");
    EXPECT_EQ(FillNumbers("no marks", {"1"}), "no marks");
}

// A card tells why a unit failed in the skin's words, each part of the reason on its own; the
// varying part (a label, a system's text) stays as it is, and what the skin has no words for
// stays English.
TEST(StationBoard, ReasonsInTheSkinsWords) {
    StationTexts texts;
    texts.reasons["RowRefused"] = "%1 被拒绝";
    texts.reasons["NotApplied"] = "未应用：%1";
    texts.reasons["NotVerified"] = "未校验";
    texts.reasons["LineFailed"] = "";
    EXPECT_EQ(LocalReason("Server's Port refused; not applied: APN, Protocol model", texts),
              "Server's Port 被拒绝; 未应用：APN, Protocol model");
    EXPECT_EQ(LocalReason("not verified", texts), "未校验");
    EXPECT_EQ(LocalReason("Server's Port not verified", texts), "Server's Port not verified");
    EXPECT_EQ(LocalReason("the line failed: gone", texts), "the line failed: gone");
    EXPECT_EQ(LocalReason("", texts), "");
    // Every pattern has its words in both skins' Language.ini (checked by the skin tests); each
    // key is unique.
    std::set<std::string> keys;
    for (const ReasonPattern& pattern : ReasonPatterns())
        EXPECT_TRUE(keys.insert(pattern.key).second) << pattern.key;

    // The card of a failed unit.
    CStationBoard board(texts);
    board.SetPorts({"COM3"});
    CJson result = CJson::Object();
    result.Set("port", CJson::String("COM3"));
    result.Set("outcome", CJson::String("failed"));
    result.Set("reason", CJson::String("Server's Port refused"));
    board.OnFinished(result);
    EXPECT_EQ(board.Cards()[0].reason, "Server's Port 被拒绝");
}

} // namespace
