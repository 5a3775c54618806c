// The production line's units file: a header row of labels with a "unit" column, one row of
// values per unit, as spreadsheets save it. Read and checked whole before the first unit.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A cell that asks for an empty value on purpose (an empty cell keeps the template's value).
constexpr const char* kEmptyCell = "<empty>";

struct UnitRow {
    size_t line = 0;          // its line in the units file
    std::string unit;         // the unit's name
    std::string identity;     // the match column's value ("" without a match column)
    std::vector<std::pair<std::string, std::string>> values; // listing label -> value
};

class CParameterStore;
// Every label there is (read-only), for lookups.
const CParameterStore& LabelCatalogue();
// The listing label of what a user wrote ("Server's Port", "Modem'sID number"), or "".
std::string LabelOfUserName(const std::string& name);

// Reads and checks a units file: a "unit" column, every other column a writable label, no
// column twice, every row as long as the header, a unit name on every row and no name twice,
// every value within its rule, and with `matchName` a column of that label whose values are
// given and distinct. False with the reason (naming the line and column).
bool ReadUnitsFile(const std::string& bytes, const std::string& matchName,
                   std::vector<UnitRow>& rows, std::string& why);
