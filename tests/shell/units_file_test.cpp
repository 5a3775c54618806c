// The units file as spreadsheets save it, and the CSV cells the report writes.
#include "shell/units_file.h"

#include "base/csv.h"

#include <gtest/gtest.h>

namespace {

TEST(Csv, ReadsWhatSpreadsheetsSave) {
    CsvTable table;
    std::string where;
    ASSERT_TRUE(ReadCsv("\xEF\xBB\xBFunit;Server's Port\r\n\r\nA; 9001 \r\n;\r\n\"B;1\";\"9\"\"2\"\r\n",
                        table, where))
        << where;
    EXPECT_EQ(table.separator, ';');
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0][0], "unit") << "the byte-order mark is not part of the name";
    EXPECT_EQ(table.rows[1][1], "9001");
    EXPECT_EQ(table.lines[1], 3u) << "lines counted with the blank ones";
    EXPECT_EQ(table.rows[2][0], "B;1");
    EXPECT_EQ(table.rows[2][1], "9\"2");
    EXPECT_FALSE(ReadCsv("a,\"b\r\nc\"\r\n", table, where));
    EXPECT_NE(where.find("line 1, column 2"), std::string::npos) << where;
    EXPECT_FALSE(ReadCsv("a,\"b", table, where));
    // A quoted comma in the header does not make it ";" separated.
    ASSERT_TRUE(ReadCsv("\"a,b\";c\r\n", table, where));
    EXPECT_EQ(table.separator, ';');
}

TEST(Csv, ACellIsNeverRunAsAFormula) {
    for (const std::string value : {"=1+2", "+86 135", "-5", "@SUM(A1)", "\tx"}) {
        const std::string cell = CsvCell(value);
        EXPECT_EQ(cell.find_first_of("=+-@\t"), cell.find('\'') + 1) << value;
        CsvTable table;
        std::string where;
        ASSERT_TRUE(ReadCsv(CsvLine({value, "x"}), table, where));
        EXPECT_EQ(CsvCellValue(table.rows[0][0]), value);
    }
    EXPECT_EQ(CsvCell("A-1"), "A-1");
    EXPECT_EQ(CsvLine({"a,b", "c\"d", "e;f"}), "\"a,b\",\"c\"\"d\",\"e;f\"\r\n");
}

TEST(UnitsFile, RowsWithTheirValuesAndWhatAnEmptyCellMeans) {
    std::vector<UnitRow> rows;
    std::string why;
    ASSERT_TRUE(ReadUnitsFile("unit,Modem'sID number,Access Point Name\r\nA,1,\r\nB,2,<empty>\r\n"
                              ",,\r\n",
                              "Modem's ID number", rows, why))
        << why;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].identity, "1");
    ASSERT_EQ(rows[0].values.size(), 1u) << "an empty cell keeps the template's value";
    EXPECT_EQ(rows[0].values[0].first, "\r\nModem's ID number:");
    ASSERT_EQ(rows[1].values.size(), 2u);
    EXPECT_EQ(rows[1].values[1].second, "") << "<empty> asks for an empty value";
    EXPECT_EQ(rows[1].line, 3u);
    EXPECT_FALSE(ReadUnitsFile("unit,Server's Port\r\nA,x\r\n", "", rows, why));
    EXPECT_NE(why.find("line 2, column 2"), std::string::npos) << why;
    EXPECT_FALSE(ReadUnitsFile("unit\r\n", "", rows, why));
    EXPECT_FALSE(ReadUnitsFile("unit,Server's Port\r\nA,1\r\n", "No such label", rows, why));
}

} // namespace
