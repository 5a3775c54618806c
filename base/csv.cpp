#include "base/csv.h"

#include "base/text.h"

namespace {

bool StartsLikeFormula(const std::string& value) {
    if (value.empty())
        return false;
    const char c = value[0];
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

std::string Trimmed(const std::string& field) {
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

// The separator of the file: "," unless its first line has ";" and no "," outside quotes.
char SeparatorOf(const std::string& text) {
    bool inQuotes = false, semicolon = false;
    for (char c : text) {
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == '\r' || c == '\n'))
            break;
        else if (!inQuotes && c == ',')
            return ',';
        else if (!inQuotes && c == ';')
            semicolon = true;
    }
    return semicolon ? ';' : ',';
}

} // namespace

bool ReadCsv(const std::string& raw, CsvTable& table, std::string& where) {
    table = CsvTable();
    const std::string text = WithoutBom(raw);
    table.separator = SeparatorOf(text);
    std::vector<std::string> row;
    std::string field;
    bool quoted = false, inQuotes = false;
    size_t line = 1, rowLine = 1;
    auto endField = [&] {
        row.push_back(quoted ? field : Trimmed(field));
        field.clear();
        quoted = false;
    };
    auto endRow = [&] {
        endField();
        bool blank = true;
        for (const std::string& cell : row)
            blank = blank && cell.empty();
        if (!blank) {
            table.rows.push_back(row);
            table.lines.push_back(rowLine);
        }
        row.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else if (c == '\r' || c == '\n') {
                where = "line " + std::to_string(line) + ", column " +
                        std::to_string(row.size() + 1) + ": a value holds a line break";
                return false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"' && field.find_first_not_of(' ') == std::string::npos) {
            field.clear();
            inQuotes = quoted = true;
        } else if (c == table.separator) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            endRow();
            rowLine = ++line;
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        where = "line " + std::to_string(line) + ": a quote is not closed";
        return false;
    }
    if (!field.empty() || quoted || !row.empty())
        endRow();
    return true;
}

std::string CsvCell(const std::string& value) {
    const std::string text = StartsLikeFormula(value) ? "'" + value : value;
    if (text.find_first_of(",;\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvCellValue(const std::string& cell) {
    if (cell.size() > 1 && cell[0] == '\'' && StartsLikeFormula(cell.substr(1)))
        return cell.substr(1);
    return cell;
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i)
        line += (i ? "," : "") + CsvCell(cells[i]);
    return line + "\r\n";
}
