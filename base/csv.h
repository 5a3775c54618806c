// Comma-separated files as spreadsheets write them: the units file of the production line and
// its report. Reading accepts what spreadsheet programs save ("CSV UTF-8" with a byte-order
// mark, rows of empty cells at the end, ";" as the separator in locales whose decimal mark is a
// comma); writing keeps every cell a plain text when a spreadsheet opens the file again.
#pragma once

#include <string>
#include <vector>

struct CsvTable {
    std::vector<std::vector<std::string>> rows; // blank rows left out
    std::vector<size_t> lines;                  // the line each row starts on (1-based)
    char separator = ',';
};

// Reads CSV text: fields separated by "," (or ";" when the first line holds ";" and no ","
// outside quotes), quoted with '"' where they hold a separator or a quote, '""' for a quote;
// blanks around an unquoted field are dropped. A row whose cells are all empty is skipped. A
// field holding a line break, or a quote left open, is refused with `where` naming its line.
bool ReadCsv(const std::string& text, CsvTable& table, std::string& where);

// One cell for a CSV line: quoted when it holds a comma, a quote or a line break; a value a
// spreadsheet would run as a formula (starting with "=", "+", "-", "@", a tab or a CR) gets a
// leading "'" so that it is shown as the text it is.
std::string CsvCell(const std::string& value);
// The value of a cell that CsvCell wrote (the leading "'" of a guarded value taken away).
std::string CsvCellValue(const std::string& cell);
// A CSV line of cells, ending in CR LF.
std::string CsvLine(const std::vector<std::string>& cells);
