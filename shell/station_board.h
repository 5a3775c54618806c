// What the station window shows, decided without a window: one card per port (the unit's
// identity, the step it is at, a large result that stays until the next unit is connected on
// that port, and its reason), the running counts and the last report rows. The window feeds it
// the production line's progress and results (on its own thread) and draws what it says.
#pragma once

#include "base/json.h"
#include "base/text.h"
#include "shell/production_line.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

// The words of the station, from the skin's Language.ini ("Station"), English when empty.
struct StationTexts {
    std::string waiting = "Waiting for a unit: connect and power it";
    std::string reading = "Entering the setting mode, reading";
    std::string writing = "Writing %1 of %2";
    std::string verifying = "Verifying";
    std::string verified = "Verified";
    std::string failed = "Failed";
    std::string unknown = "Unknown unit";
    std::string wouldChange = "Would change";
    std::string unchanged = "Nothing to change";
    std::string counts = "Done %1   Failed %2   Remaining %3";
    std::string idle = "Not started";
    // The reasons a unit failed, in the skin's words by their key (see ReasonPatterns); a key
    // without words keeps the production line's English.
    std::map<std::string, std::string> reasons;
};

// The production line's reasons, each an English pattern (at most one "%1": the varying part,
// kept as it is) with the key of its words in the skin ("StationReason").
struct ReasonPattern {
    const char* key;
    const char* english;
};
const std::vector<ReasonPattern>& ReasonPatterns();
// A reason ("a; b; c") with every part that matches a pattern in the words of `texts`.
std::string LocalReason(const std::string& reason, const StationTexts& texts);

struct StationCard {
    enum class Tone { None, Busy, Good, Bad };
    std::string port;
    std::string identity; // the unit's name and its ID
    std::string stage;    // the step in words
    int step = 0;         // 0 idle, 1 waiting, 2 reading, 3 writing, 4 verifying, 5 done
    std::string result;   // large: verified, failed, unknown unit
    std::string reason;
    Tone tone = Tone::None;
};

class CStationBoard {
public:
    explicit CStationBoard(StationTexts texts = StationTexts()) : texts_(std::move(texts)) {}
    void SetPorts(const std::vector<std::string>& ports);
    void SetRows(size_t rows) { remaining_ = rows; }
    void OnProgress(const UnitProgress& progress);
    void OnFinished(const CJson& result);

    const std::vector<StationCard>& Cards() const { return cards_; }
    int Done() const { return done_; }
    int Failed() const { return failed_; }
    size_t Remaining() const { return remaining_; }
    std::string CountsText() const;
    // The last report rows, newest first ("unit  ID  outcome  reason").
    const std::deque<std::string>& Recent() const { return recent_; }

private:
    StationCard* CardOf(const std::string& port);

    StationTexts texts_;
    std::vector<StationCard> cards_;
    std::deque<std::string> recent_;
    int done_ = 0, failed_ = 0;
    size_t remaining_ = 0;
};
