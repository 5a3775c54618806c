#include "shell/line_report.h"

#include "base/csv.h"
#include "base/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

const std::vector<std::string>& CReport::Header() {
    static const std::vector<std::string> header = {
        "time",   "unit",   "version", "id_before", "id_after", "written",
        "outcome", "reason", "station", "port",     "operator", "identity"};
    return header;
}

bool CReport::Open(std::set<std::string>& verifiedBefore, std::string& why) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!CanWriteFile(path_, why))
        return false;
    std::string bytes, failure;
    ReadFileBytes(path_, bytes, failure);
    if (!bytes.empty()) {
        CsvTable table;
        if (!ReadCsv(bytes, table, failure)) {
            why = "cannot be read: " + failure;
            return false;
        }
        const std::vector<std::string>& header = table.rows.empty() ? std::vector<std::string>()
                                                                    : table.rows[0];
        size_t unit = header.size(), outcome = header.size();
        for (size_t c = 0; c < header.size(); ++c) {
            unit = header[c] == "unit" ? c : unit;
            outcome = header[c] == "outcome" ? c : outcome;
        }
        if (unit == header.size() || outcome == header.size()) {
            why = "line 1 is not a report's header (no \"unit\" and \"outcome\" columns)";
            return false;
        }
        for (size_t r = 1; r < table.rows.size(); ++r) {
            const std::vector<std::string>& cells = table.rows[r];
            if (cells.size() <= std::max(unit, outcome)) {
                why = "line " + std::to_string(table.lines[r]) + " has " +
                      std::to_string(cells.size()) + " columns: the report cannot be read";
                return false;
            }
            if (cells[outcome] == "verified")
                verifiedBefore.insert(CsvCellValue(cells[unit]));
        }
        return true;
    }
    std::ofstream out(std::filesystem::u8path(path_), std::ios::binary | std::ios::app);
    out << CsvLine(Header());
    out.flush();
    if (!out) {
        why = std::strerror(errno);
        return false;
    }
    return true;
}

bool CReport::Append(const std::vector<std::string>& cells, std::string& why) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::filesystem::path path = std::filesystem::u8path(path_);
    std::string bytes, failure;
    ReadFileBytes(path_, bytes, failure);
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    // A report whose last line lost its line end (an editor, a crash) is mended first, or the
    // row would merge into it.
    if (!bytes.empty() && bytes.back() != '\n')
        out << "\r\n";
    out << CsvLine(cells);
    out.flush();
    if (!out) {
        why = errno ? std::strerror(errno) : "the write failed";
        return false;
    }
    return true;
}
