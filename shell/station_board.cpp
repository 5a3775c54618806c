#include "shell/station_board.h"

#include <algorithm>

namespace {

constexpr size_t kRecentRows = 6;

std::string Member(const CJson& result, const char* name) {
    const CJson* member = result.Find(name);
    return member ? member->AsText() : std::string();
}

} // namespace

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
        card->reason = LocalReason(Member(result, "reason"), texts_);
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
        row += "   " + LocalReason(Member(result, "reason"), texts_);
    recent_.push_front(row);
    while (recent_.size() > kRecentRows)
        recent_.pop_back();
}

std::string CStationBoard::CountsText() const {
    return FillNumbers(texts_.counts, {std::to_string(done_), std::to_string(failed_),
                                       std::to_string(remaining_)});
}

const std::vector<ReasonPattern>& ReasonPatterns() {
    // Whole reasons first, then those with a varying part, the longer fixed words first.
    static const std::vector<ReasonPattern> patterns = {
        {"NotRead", "the configuration was not read"},
        {"NotVerified", "not verified"},
        {"NoAnswer", "no answer from the device in time"},
        {"PortClosed", "the port is closed"},
        {"NoListing", "the device's answer to AT+SHOW is no configuration listing"},
        {"RowTaken", "refused: the row of %1 is applied already or in progress"},
        {"NoPages", "the pages of the skin %1 cannot be read: nothing was written"},
        {"LeftSettingMode", "the device left its setting mode and did not enter it again: %1"},
        {"NoSnapshot", "the configuration before the write could not be kept in %1"},
        {"NotInDevice", "not in the device after the write: %1"},
        {"NoSettingMode", "the device did not enter its setting mode%1"},
        {"UnknownUnit", "unknown unit: no row for %1"},
        {"LineFailed", "the line failed: %1"},
        {"NotApplied", "not applied: %1"},
        {"BreaksRule", "%1 breaks its rule"},
        {"RowNotAnswered", "%1 not answered"},
        {"RowNotVerified", "%1 not verified"},
        {"RowMismatch", "%1 mismatch"},
        {"RowRefused", "%1 refused"},
        {"RowNotSent", "%1 not sent"},
    };
    return patterns;
}

namespace {

// The part in the skin's words, or "" when no pattern with words matches it.
std::string LocalPart(const std::string& part, const StationTexts& texts) {
    for (const ReasonPattern& pattern : ReasonPatterns()) {
        const auto words = texts.reasons.find(pattern.key);
        if (words == texts.reasons.end() || words->second.empty())
            continue;
        const std::string english = pattern.english;
        const size_t mark = english.find("%1");
        if (mark == std::string::npos) {
            if (part == english)
                return words->second;
            continue;
        }
        const std::string before = english.substr(0, mark), after = english.substr(mark + 2);
        if (part.size() < before.size() + after.size() || part.compare(0, before.size(), before) ||
            part.compare(part.size() - after.size(), after.size(), after))
            continue;
        const std::string varying =
            part.substr(before.size(), part.size() - before.size() - after.size());
        return FillNumbers(words->second, {varying});
    }
    return std::string();
}

} // namespace

std::string LocalReason(const std::string& reason, const StationTexts& texts) {
    std::string local;
    size_t at = 0;
    while (at <= reason.size()) {
        const size_t end = std::min(reason.find("; ", at), reason.size());
        const std::string part = reason.substr(at, end - at);
        const std::string words = LocalPart(part, texts);
        local += (local.empty() ? "" : "; ") + (words.empty() ? part : words);
        at = end + 2;
    }
    return local;
}
