// What the station shows, decided without a window: a card per port through its steps, a
// result that stays until the next unit is connected, the counts and the last units.
#include "shell/station_board.h"

#include <gtest/gtest.h>

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

} // namespace
