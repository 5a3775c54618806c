#include "shell/units_file.h"

#include "base/csv.h"
#include "params/parameter_store.h"
#include "params/value_rules.h"

#include <map>
#include <memory>

namespace {

std::string Where(size_t line, size_t column, const std::string& name) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + " (\"" + name +
           "\")";
}

} // namespace

const CParameterStore& LabelCatalogue() {
    static const std::unique_ptr<CParameterStore> store = [] {
        auto built = std::make_unique<CParameterStore>();
        built->Build(kSensorRows);
        return built;
    }();
    return *store;
}

std::string LabelOfUserName(const std::string& name) {
    return LabelOfName(LabelCatalogue().parameters, LabelCatalogue().lists, name);
}

namespace {

const CParameterStore& Catalogue() {
    return LabelCatalogue();
}

} // namespace

bool ReadUnitsFile(const std::string& bytes, const std::string& matchName,
                   std::vector<UnitRow>& rows, std::string& why) {
    rows.clear();
    CsvTable table;
    if (!ReadCsv(bytes, table, why))
        return false;
    if (table.rows.size() < 2) {
        why = "no unit rows under the header row";
        return false;
    }
    const std::vector<std::string>& header = table.rows[0];
    if (header.size() == 1 && header[0].find_first_of(";\t") != std::string::npos) {
        why = "line 1 holds one column: separate the columns with \",\" or \";\"";
        return false;
    }
    int unitColumn = -1, matchColumn = -1;
    const std::string matchLabel = matchName.empty() ? "" : LabelOfUserName(matchName);
    if (!matchName.empty() && matchLabel.empty()) {
        why = "--match \"" + matchName + "\": no such label";
        return false;
    }
    std::vector<std::string> labels(header.size());
    std::map<std::string, size_t> seen;
    for (size_t c = 0; c < header.size(); ++c) {
        if (header[c] == "unit") {
            labels[c] = "unit";
            unitColumn = static_cast<int>(c);
        } else {
            labels[c] = LabelOfUserName(header[c]);
            if (labels[c].empty()) {
                why = Where(1, c + 1, header[c]) + ": no such label";
                return false;
            }
            if (IsReadOnlyLabel(Catalogue().parameters, labels[c])) {
                why = Where(1, c + 1, header[c]) +
                      ": the device reports this value and it cannot be written";
                return false;
            }
            if (labels[c] == matchLabel)
                matchColumn = static_cast<int>(c);
        }
        auto [at, fresh] = seen.emplace(labels[c], c);
        if (!fresh) {
            why = "line 1: columns " + std::to_string(at->second + 1) + " and " +
                  std::to_string(c + 1) + " both name \"" + header[c] + "\"";
            return false;
        }
    }
    if (unitColumn < 0) {
        why = "line 1: there is no \"unit\" column naming the units";
        return false;
    }
    if (!matchLabel.empty() && matchColumn < 0) {
        why = "line 1: --match \"" + matchName + "\" is not a column of the units file";
        return false;
    }
    std::map<std::string, size_t> names, identities;
    for (size_t r = 1; r < table.rows.size(); ++r) {
        const std::vector<std::string>& cells = table.rows[r];
        const size_t line = table.lines[r];
        if (cells.size() != header.size()) {
            why = "line " + std::to_string(line) + " has " + std::to_string(cells.size()) +
                  " columns, the header " + std::to_string(header.size());
            return false;
        }
        UnitRow row;
        row.line = line;
        row.unit = cells[static_cast<size_t>(unitColumn)];
        if (row.unit.empty()) {
            why = "line " + std::to_string(line) + ": no unit name in the \"unit\" column";
            return false;
        }
        if (auto [at, fresh] = names.emplace(row.unit, line); !fresh) {
            why = "line " + std::to_string(line) + ": the unit \"" + row.unit +
                  "\" is named on line " + std::to_string(at->second) + " too";
            return false;
        }
        for (size_t c = 0; c < header.size(); ++c) {
            if (static_cast<int>(c) == unitColumn || cells[c].empty())
                continue; // an empty cell keeps the template's value
            const std::string value = cells[c] == kEmptyCell ? std::string() : cells[c];
            const RuleBreak rule =
                CheckValue(KeyOfLabel(Catalogue().parameters, Catalogue().lists, labels[c]), value);
            if (rule != RuleBreak::None) {
                why = Where(line, c + 1, header[c]) + ": \"" + cells[c] + "\" is " +
                      RuleBreakText(rule, "");
                return false;
            }
            row.values.emplace_back(labels[c], value);
        }
        if (matchColumn >= 0) {
            row.identity = cells[static_cast<size_t>(matchColumn)];
            if (row.identity.empty() || row.identity == kEmptyCell) {
                why = Where(line, static_cast<size_t>(matchColumn) + 1, header[static_cast<size_t>(matchColumn)]) +
                      ": the unit's identity is needed to match it";
                return false;
            }
            if (auto [at, fresh] = identities.emplace(row.identity, line); !fresh) {
                why = Where(line, static_cast<size_t>(matchColumn) + 1, header[static_cast<size_t>(matchColumn)]) +
                      ": \"" + row.identity + "\" is on line " + std::to_string(at->second) +
                      " too";
                return false;
            }
        }
        rows.push_back(std::move(row));
    }
    return true;
}

