#include "shell/station_board.h"

namespace {

constexpr size_t kRecentRows = 6;

std::string Member(const CJson& result, const char* name) {
    const CJson* member = result.Find(name);
    return member ? member->AsText() : std::string();
}

} // namespace

std::string FillNumbers(std::string text, const std::vector<std::string>& values) {
    for (size_t i = 0; i < values.size() && i < 9; ++i) {
        const std::string mark = "%" + std::to_string(i + 1);
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, mark.size(), values[i]);
    }
    return text;
}

void CStationBoard::SetPorts(const std::vector<std::string>& ports) {
    cards_.clear();
    for (const std::string& port : ports) {
        StationCard card;
        card.port = port;
        card.stage = texts_.idle;
        cards_.push_back(card);
    }
}

StationCard* CStationBoard::CardOf(const std::string& port) {
    for (StationCard& card : cards_)
        if (card.port == port)
            return &card;
    return nullptr;
}

void CStationBoard::OnProgress(const UnitProgress& progress) {
    StationCard* card = CardOf(progress.port);
    if (card == nullptr)
        return;
    const std::string who =
        progress.unit.empty() ? progress.identity
                              : progress.unit + (progress.identity.empty() ? "" : "  " + progress.identity);
    switch (progress.stage) {
    case UnitStage::Waiting:
        // The last unit's result stays until the next unit is connected.
        card->step = 1;
        card->stage = texts_.waiting;
        if (card->result.empty())
            card->identity = who;
        break;
    case UnitStage::Reading:
        card->step = 2;
        card->stage = texts_.reading;
        card->result.clear();
        card->reason.clear();
        card->tone = StationCard::Tone::Busy;
        card->identity = who;
        break;
    case UnitStage::Writing:
        card->step = 3;
        card->stage = FillNumbers(texts_.writing, {std::to_string(progress.done),
                                                   std::to_string(progress.total)});
        card->identity = who;
        break;
    case UnitStage::Verifying:
        card->step = 4;
        card->stage = texts_.verifying;
        break;
    case UnitStage::Done:
        card->step = 5;
        break;
    }
}

void CStationBoard::OnFinished(const CJson& result) {
    const std::string outcome = Member(result, "outcome");
    const std::string unit = Member(result, "unit");
    const std::string identity = Member(result, "identity");
    const bool good = outcome == "verified" || outcome == "nothing to change" ||
                      outcome == "would change";
    if (StationCard* card = CardOf(Member(result, "port"))) {
        card->identity = unit.empty() ? identity : unit + (identity.empty() ? "" : "  " + identity);
        card->result = outcome == "verified"            ? texts_.verified
                       : outcome == "unknown unit"      ? texts_.unknown
                       : outcome == "would change"      ? texts_.wouldChange
                       : outcome == "nothing to change" ? texts_.unchanged
                                                        : texts_.failed;
        card->reason = Member(result, "reason");
        card->tone = good ? StationCard::Tone::Good : StationCard::Tone::Bad;
        card->step = 5;
    }
    if (good) {
        ++done_;
        if (remaining_ > 0)
            --remaining_;
    } else {
        ++failed_;
    }
    const std::string word = outcome == "verified"            ? texts_.verified
                             : outcome == "unknown unit"      ? texts_.unknown
                             : outcome == "would change"      ? texts_.wouldChange
                             : outcome == "nothing to change" ? texts_.unchanged
                                                              : texts_.failed;
    std::string row = (unit.empty() ? "-" : unit) + "   " + identity + "   " + word;
    if (!Member(result, "reason").empty())
        row += "   " + Member(result, "reason");
    recent_.push_front(row);
    while (recent_.size() > kRecentRows)
        recent_.pop_back();
}

std::string CStationBoard::CountsText() const {
    return FillNumbers(texts_.counts, {std::to_string(done_), std::to_string(failed_),
                                       std::to_string(remaining_)});
}
