// Feeds arbitrary bytes to the CSV reader and the units file's checks: they must never crash,
// keep no blank row, count lines upwards, and every row they accept must hold a unit name, no
// name twice, and values for labels only. Cells written for the report read back as written.
#include "base/csv.h"
#include "fuzz_check.h"
#include "shell/units_file.h"

#include <cstdint>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CsvTable table;
    std::string where;
    if (ReadCsv(bytes, table, where)) {
        Check(table.rows.size() == table.lines.size());
        for (size_t r = 0; r < table.rows.size(); ++r) {
            bool blank = true;
            for (const std::string& cell : table.rows[r])
                blank = blank && cell.empty();
            Check(!blank);
            Check(r == 0 || table.lines[r] > table.lines[r - 1]);
        }
    } else {
        Check(!where.empty());
    }
    std::vector<UnitRow> rows;
    if (ReadUnitsFile(bytes, size % 2 ? "Modem'sID number" : "", rows, where)) {
        std::set<std::string> names;
        for (const UnitRow& row : rows) {
            Check(!row.unit.empty());
            Check(names.insert(row.unit).second);
            for (const auto& [label, value] : row.values)
                Check(!label.empty() && value.find_first_of("\r\n") == std::string::npos);
        }
    }
    // Any text without line breaks goes into a report cell and comes back.
    if (bytes.find_first_of("\r\n") == std::string::npos) {
        CsvTable back;
        if (ReadCsv(CsvLine({bytes, "end"}), back, where) && !back.rows.empty()) {
            Check(back.rows[0].size() == 2);
            // Unquoted cells lose their surrounding blanks; the value is otherwise kept.
            const std::string read = CsvCellValue(back.rows[0][0]);
            Check(read == bytes || read.find_first_not_of(' ') == std::string::npos ||
                  bytes.find(read) != std::string::npos);
        }
    }
    return 0;
}
