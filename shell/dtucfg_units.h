// The production line's files: the units file (one row of values per unit, checked whole
// before the first unit) and the report (one row per unit, appended from every port).
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A cell that asks for an empty value on purpose (an empty cell keeps the template's value).
constexpr const char* kEmptyCell = "<empty>";

struct UnitRow {
    size_t line = 0;          // its line in the units file
    std::string unit;         // the unit's name
    std::string identity;     // the match column's value ("" without --match)
    std::vector<std::pair<std::string, std::string>> values; // listing label -> value
};

// Reads and checks a units file: a "unit" column, every other column a writable label, no
// column twice, every row as long as the header, a unit name on every row and no name twice,
// every value within its rule, and with `matchName` a column of that label whose values are
// given and distinct. False with the reason (naming the line and column).
bool ReadUnitsFile(const std::string& bytes, const std::string& matchName,
                   std::vector<UnitRow>& rows, std::string& why);

// The report: checked before the first unit, appended a whole row at a time from any thread.
class CReport {
public:
    static const std::vector<std::string>& Header();
    explicit CReport(std::string path) : path_(std::move(path)) {}
    // Checks that the report can be written, reads the units an earlier run verified (for
    // --resume; a report that cannot be read stops the run, naming its line) and writes the
    // header to a new report. False with the reason.
    bool Open(std::set<std::string>& verifiedBefore, std::string& why);
    // Appends one row (cells in Header() order); false with the reason when it could not.
    bool Append(const std::vector<std::string>& cells, std::string& why);

private:
    std::string path_;
    std::mutex lock_;
};
