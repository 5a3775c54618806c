// The production line's record tells the truth: dtucfg apply natively against simulated units,
// with the files people bring (spreadsheet exports, reports edited by hand), units that come
// late or leave, ports that vanish, and units that refuse or cannot take their values.
#include "tests/shell/dtucfg_rig.h"

#include "base/csv.h"

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>

using namespace dtucfgrig;

namespace {

const char kTemplate[] = "Protocol model:PROT\r\nServer's Ip:10.0.0.9\r\n";

class ApplyTest : public DtucfgTest {
protected:
    std::string Args(const std::string& ports, const std::string& extra = "") const {
        return "apply " + ports + " --cfg " + dir + "/template.cfg --units " + dir +
               "/units.csv --report " + dir + "/report.csv " + extra;
    }
    std::string Report() const { return ReadFileText(dir + "/report.csv"); }
    std::string Err() const { return ReadFileText(dir + "/err"); }
    // Waits until the report holds `rows` rows under its header.
    bool ReportRows(size_t rows, int seconds = 30) const {
        for (int i = 0; i < seconds * 50; ++i) {
            if (Lines(Report()) >= rows + 1)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

TEST_F(ApplyTest, TheTemplateIsReadOnceAndAUnitWaitedForAsLongAsItTakes) {
    Line line(dir);
    Write(dir + "/template.cfg", kTemplate);
    Write(dir + "/units.csv", "unit,Modem'sID number\r\nA-1,13900000001\r\n");
    // No --wait: the line waits for its unit without limit.
    Background apply(dir, Args("--port " + line.Station()));
    ASSERT_TRUE(WaitFor(dir + "/err", "waiting for the device's power-up prompt"));
    // The template is being saved again (gone for a moment) when the unit comes, 4 s late.
    std::remove((dir + "/template.cfg").c_str());
    std::this_thread::sleep_for(std::chrono::seconds(4));
    line.StartUnit(1);
    EXPECT_EQ(apply.Wait(), 0) << Err();
    EXPECT_NE(Report().find(",A-1,"), std::string::npos) << Report();
    EXPECT_NE(Report().find(",verified,"), std::string::npos) << Report();
    const std::string sent = SetCommands(line.Transcript());
    EXPECT_NE(sent.find("At+PROMODE=PROT"), std::string::npos) << sent;
    EXPECT_NE(sent.find("AT+IDNT=13900000001"), std::string::npos) << sent;
}

TEST_F(ApplyTest, AValueThatIsNotWrittenFailsTheUnit) {
    Line line(dir);
    // No work mode in the template: in TRNS the ID is not in use, so it is not written.
    Write(dir + "/template.cfg", "Server's Ip:10.0.0.9\r\n");
    Write(dir + "/units.csv", "unit,Modem'sID number\r\nA-1,13900000001\r\n");
    Background apply(dir, Args("--port " + line.Station(), "--wait 20 --stop-after 1"));
    line.StartUnit(1);
    EXPECT_EQ(apply.Wait(), 1) << Err();
    EXPECT_NE(Report().find(",failed,\"not applied: Modem's ID number"), std::string::npos)
        << Report();
    EXPECT_EQ(SetCommands(line.Transcript()).find("AT+IDNT"), std::string::npos);
}

TEST_F(ApplyTest, SpreadsheetExportsAreReadAsTheyAreSaved) {
    Line line(dir);
    // "CSV UTF-8" with a byte-order mark, ";" separated, blank rows at the end; a template with
    // a mark of its own and no APN line.
    Write(dir + "/template.cfg", std::string("\xEF\xBB\xBF") + kTemplate);
    Write(dir + "/units.csv", "\xEF\xBB\xBFunit;Modem'sID number;Access Point Name;Server's Port\r\n"
                              "A-1;13900000001;;9101\r\n"
                              "A-2;;NEWAPN;\r\n"
                              ";;;\r\n\r\n");
    Background apply(dir, Args("--port " + line.Station(), "--wait 20"));
    line.StartUnit(1);
    ASSERT_TRUE(ReportRows(1));
    const std::string first = SetCommands(line.Transcript());
    line.StartUnit(2);
    EXPECT_EQ(apply.Wait(), 0) << Err();
    const std::string second = SetCommands(line.Transcript()).substr(first.size());
    // An empty cell keeps the template's (here the device's) value, never clears it.
    EXPECT_EQ(first.find("AT+APN"), std::string::npos) << first;
    EXPECT_NE(first.find("AT+IDNT=13900000001"), std::string::npos) << first;
    EXPECT_EQ(second.find("AT+IDNT"), std::string::npos) << second;
    // The units file's APN column is written although the template has no APN line.
    EXPECT_NE(second.find("AT+APN=NEWAPN"), std::string::npos) << second;
    EXPECT_EQ(second.find("AT+PORT"), std::string::npos) << second;
    EXPECT_EQ(Lines(Report()), 3u) << Report();
}

TEST_F(ApplyTest, FilesThatWouldMisleadTheLineAreRefusedBeforeAnythingIsSent) {
    Simulator sim(dir);
    Write(dir + "/template.cfg", kTemplate);
    struct Case {
        const char* csv;
        const char* extra;
        const char* said;
    } cases[] = {
        {"unit,unit,Server's Port\r\nA,B,9001\r\n", "", "columns 1 and 2 both name \"unit\""},
        {"unit,Server's Port,Server's Port\r\nA,1,2\r\n", "", "columns 2 and 3 both name"},
        {"unit,Server's Port\r\n,9001\r\n", "", "line 2: no unit name"},
        {"unit,Server's Port\r\nA,9001\r\nA,9002\r\n", "", "the unit \"A\" is named on line 2 too"},
        {"unit,Device Type\r\nA,LoRa\r\n", "", "cannot be written"},
        {"unit\tServer's Port\r\nA\t9001\r\n", "", "separate the columns with"},
        {"unit,Server's Port\r\nA,9001\r\n", "--match \"Modem'sID number\"", "is not a column"},
        {"unit,Modem'sID number\r\nA,1\r\nB,1\r\n", "--match \"Modem'sID number\"",
         "\"1\" is on line 2 too"},
    };
    for (const Case& c : cases) {
        Write(dir + "/units.csv", c.csv);
        const Result apply = Dtucfg(dir, Args("--port " + sim.Port(), c.extra));
        EXPECT_EQ(apply.code, 2) << c.csv;
        EXPECT_NE(apply.err.find(c.said), std::string::npos) << c.csv << "\n" << apply.err;
    }
    // A template that cannot be read, or names nothing, is a failure and not an empty plan.
    Write(dir + "/units.csv", "unit,Server's Port\r\nA,9001\r\n");
    Write(dir + "/template.cfg", "");
    EXPECT_EQ(Dtucfg(dir, Args("--port " + sim.Port())).code, 2);
    std::remove((dir + "/template.cfg").c_str());
    const Result gone = Dtucfg(dir, Args("--port " + sim.Port()));
    EXPECT_EQ(gone.code, 2);
    EXPECT_NE(gone.err.find("cannot be read: No such file"), std::string::npos) << gone.err;
    // A report that cannot be written is found before the first unit.
    Write(dir + "/template.cfg", kTemplate);
    const Result noFolder = Dtucfg(dir, "apply --port " + sim.Port() + " --cfg " + dir +
                                            "/template.cfg --units " + dir +
                                            "/units.csv --report " + dir + "/none/report.csv");
    EXPECT_EQ(noFolder.code, 2);
    EXPECT_NE(noFolder.err.find("cannot be written"), std::string::npos) << noFolder.err;
    // A report that cannot be read on --resume names its line.
    Write(dir + "/report.csv", "time,unit,outcome\r\n1,A,verified\r\n2,\"B,failed\r\n");
    const Result bad = Dtucfg(dir, Args("--port " + sim.Port(), "--resume"));
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("line 3"), std::string::npos) << bad.err;
    EXPECT_EQ(sim.Transcript(), "") << "nothing was sent";
}

TEST_F(ApplyTest, TheReportIsMendedAndKeptAsTextInASpreadsheet) {
    Line line(dir);
    Write(dir + "/template.cfg", kTemplate);
    Write(dir + "/units.csv", "unit,Modem'sID number\r\nA-1,13900000001\r\n=1+2,13900000002\r\n");
    // A report saved by an editor without its last line end, holding A-1 as verified.
    Write(dir + "/report.csv", "time,unit,version,id_before,id_after,written,outcome,reason\r\n"
                               "2026-01-01 10:00:00,A-1,v,1,2,x,verified,");
    Background apply(dir, Args("--port " + line.Station(), "--resume --wait 20"));
    line.StartUnit(2);
    EXPECT_EQ(apply.Wait(), 0) << Err();
    const std::string report = Report();
    EXPECT_NE(report.find("verified,\r\n20"), std::string::npos) << "a row of its own:\n" << report;
    EXPECT_NE(report.find(",'=1+2,"), std::string::npos) << report;
    EXPECT_NE(Err().find("unit A-1: verified in an earlier run, skipped"), std::string::npos);
    EXPECT_EQ(Lines(report), 3u) << report;
}

TEST_F(ApplyTest, AFailedUnitKeepsItsRowForTheNextUnitOnItsPort) {
    Line line(dir);
    Write(dir + "/template.cfg", kTemplate);
    // The units refuse A-1's MSBITV: every unit connected gets A-1 until one takes it, never
    // A-2's ID.
    Write(dir + "/units.csv", "unit,Modem'sID number,MSBITV\r\nA-1,13900000001,x1\r\n"
                              "A-2,13900000002,62\r\n");
    Background apply(dir, Args("--port " + line.Station(), "--wait 20 --stop-after 2"));
    line.StartUnit(1);
    ASSERT_TRUE(ReportRows(1)) << Err();
    const size_t firstUnit = SetCommands(line.Transcript()).size();
    line.StartUnit(2);
    EXPECT_EQ(apply.Wait(), 1) << Err();
    const std::string report = Report();
    ASSERT_EQ(Lines(report), 3u) << report;
    EXPECT_EQ(report.find(",A-2,"), std::string::npos) << report;
    EXPECT_NE(report.find(",A-1,", report.find(",A-1,") + 1), std::string::npos) << report;
    const std::string second = SetCommands(line.Transcript()).substr(firstUnit);
    EXPECT_NE(second.find("AT+IDNT=13900000001"), std::string::npos) << second;
    EXPECT_EQ(second.find("13900000002"), std::string::npos) << second;
}

// The report's rows by unit, read as a spreadsheet would.
std::map<std::string, std::vector<std::string>> RowsByUnit(const std::string& report,
                                                           size_t& rows) {
    CsvTable table;
    std::string where;
    EXPECT_TRUE(ReadCsv(report, table, where)) << where;
    std::map<std::string, std::vector<std::string>> byUnit;
    rows = table.rows.empty() ? 0 : table.rows.size() - 1;
    for (size_t r = 1; r < table.rows.size(); ++r) {
        EXPECT_EQ(table.rows[r].size(), table.rows[0].size()) << "a row of its own: " << r;
        byUnit[table.rows[r][1]] = table.rows[r];
    }
    return byUnit;
}

std::string UnitsFile(int count, int first = 1) {
    std::string csv = "unit,Modem'sID number,Server's Port\r\n";
    for (int n = first; n < first + count; ++n)
        csv += "U-" + std::to_string(n) + "," + std::to_string(13900000100LL + n) + "," +
               std::to_string(9100 + n) + "\r\n";
    return csv;
}

TEST_F(ApplyTest, FourPortsAtOnceEveryUnitVerifiedAndReportedWhole) {
    std::vector<std::unique_ptr<Line>> lines;
    std::string ports;
    for (const char* name : {"a", "b", "c", "d"}) {
        lines.push_back(std::make_unique<Line>(dir, name));
        ports += " --port " + lines.back()->Station();
    }
    Write(dir + "/template.cfg", kTemplate);
    Write(dir + "/units.csv", UnitsFile(4));
    Background apply(dir, Args(ports, "--wait 30 --operator \"Li Wei\""));
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i]->StartUnit(int(i) + 1);
    EXPECT_EQ(apply.Wait(), 0) << Err();
    size_t rows = 0;
    const auto byUnit = RowsByUnit(Report(), rows);
    EXPECT_EQ(rows, 4u) << Report();
    std::set<std::string> ids, portsSeen;
    for (const auto& [unit, cells] : byUnit) {
        EXPECT_EQ(cells[6], "verified") << unit;
        EXPECT_EQ(cells[10], "Li Wei");
        ids.insert(cells[4]);
        portsSeen.insert(cells[9]);
    }
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(portsSeen.size(), 4u);
    // Every unit got one row's values, each row went to one unit.
    for (const auto& line : lines)
        EXPECT_EQ(Lines(SetCommands(line->Transcript())) >= 2, true);
    // Progress lines carry their port.
    EXPECT_NE(Err().find(lines[2]->Station() + ": unit U-"), std::string::npos) << Err();
}

TEST_F(ApplyTest, APortThatVanishesEndsOnlyItsOwnUnit) {
    std::vector<std::unique_ptr<Line>> lines;
    std::string ports;
    for (const char* name : {"a", "b", "c", "d"}) {
        lines.push_back(std::make_unique<Line>(dir, name));
        ports += " --port " + lines.back()->Station();
    }
    Write(dir + "/template.cfg", kTemplate);
    Write(dir + "/units.csv", UnitsFile(4));
    Background apply(dir, Args(ports, "--wait 30 --stop-after 4"));
    // The last unit answers its writes late, and its adapter is pulled meanwhile.
    for (size_t i = 0; i < lines.size(); ++i)
        lines[i]->StartUnit(int(i) + 1);
    ASSERT_TRUE(WaitFor(dir + "/dtranscript", "AT+SHOW"));
    lines[3]->Control("fault late:5000");
    ASSERT_TRUE(WaitFor(dir + "/dtranscript", "="));
    lines[3]->Vanish();
    EXPECT_EQ(apply.Wait(), 1) << Err();
    size_t rows = 0;
    const auto byUnit = RowsByUnit(Report(), rows);
    EXPECT_EQ(rows, 4u) << Report();
    int verified = 0, failed = 0;
    for (const auto& [unit, cells] : byUnit) {
        verified += cells[6] == "verified";
        if (cells[6] == "failed") {
            ++failed;
            EXPECT_EQ(cells[9], lines[3]->Station());
            EXPECT_FALSE(cells[7].empty()) << "with its reason";
        }
    }
    EXPECT_EQ(verified, 3) << Report();
    EXPECT_EQ(failed, 1) << Report();
}

TEST_F(ApplyTest, UnitsInAnyOrderAreMatchedToTheirOwnRows) {
    std::vector<std::unique_ptr<Line>> lines;
    std::string ports;
    for (const char* name : {"a", "b", "c", "d"}) {
        lines.push_back(std::make_unique<Line>(dir, name));
        ports += " --port " + lines.back()->Station();
    }
    Write(dir + "/template.cfg", kTemplate);
    Write(dir + "/units.csv", UnitsFile(20));
    // Twenty units and one that is not in the file, connected in shuffled order.
    std::vector<long long> ids = {13900000999LL};
    std::vector<long long> known;
    for (int n = 1; n <= 20; ++n)
        known.push_back(13900000100LL + n);
    std::shuffle(known.begin(), known.end(), std::mt19937(7));
    ids.insert(ids.end(), known.begin(), known.end());
    Background apply(dir, Args(ports, "--wait 60 --match \"Modem'sID number\""));
    std::map<long long, std::pair<size_t, int>> placed; // id -> line, unit number
    for (size_t at = 0; at < ids.size(); at += lines.size()) {
        std::vector<std::string> round;
        for (size_t i = 0; i < lines.size() && at + i < ids.size(); ++i) {
            const int n = int(at + i);
            lines[i]->StartUnit(n, UnitConfig(std::to_string(ids[at + i])));
            placed[ids[at + i]] = {i, n};
            round.push_back("," + std::to_string(ids[at + i]) + "\r\n");
        }
        for (const std::string& id : round)
            ASSERT_TRUE(WaitFor(dir + "/report.csv", id, 30)) << id << "\n" << Err();
    }
    EXPECT_EQ(apply.Wait(), 1) << "the unknown unit is a failure: " << Err();
    size_t rows = 0;
    RowsByUnit(Report(), rows);
    EXPECT_EQ(rows, 21u) << Report();
    EXPECT_NE(Report().find(",unknown unit,unknown unit: no row for 13900000999,"),
              std::string::npos)
        << Report();
    // Zero rows applied to the wrong unit: each unit's own device file holds its row's port.
    for (const auto& [id, where] : placed) {
        const std::string device = ReadFileText(dir + "/" + std::string(1, char('a' + where.first)) +
                                                "unit" + std::to_string(where.second) + ".device");
        if (id == 13900000999LL) {
            EXPECT_EQ(device.find("Server's Port"), std::string::npos) << "nothing written";
            continue;
        }
        const std::string port = std::to_string(9000 + (id - 13900000000LL));
        EXPECT_NE(device.find("Server's Port:\t" + port + "\n"), std::string::npos)
            << id << " expected port " << port;
    }
}

TEST_F(ApplyTest, CtrlCEndsTheLineOnceTheUnitInProgressIsReported) {
    Line line(dir);
    Write(dir + "/template.cfg", kTemplate);
    Write(dir + "/units.csv", UnitsFile(3));
    Background apply(dir, Args("--port " + line.Station()));
    line.StartUnit(1);
    ASSERT_TRUE(ReportRows(1)) << Err();
    ASSERT_TRUE(WaitFor(dir + "/err", "unit U-2: waiting"));
    apply.Interrupt();
    EXPECT_EQ(apply.Wait(), 0) << Err();
    EXPECT_EQ(Lines(Report()), 2u) << Report();
}

} // namespace
