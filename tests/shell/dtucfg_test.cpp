// dtucfg, the command-line tool, natively against the simulated device on a pty: what it reads,
// what a write would send and sends, the verification by reading again, and its exit codes.
#include "params/config_file.h"
#include "serial/serial_line.h"
#include "tests/shell/dtucfg_rig.h"

using namespace dtucfgrig;

namespace {

TEST_F(DtucfgTest, ReadSavesTheDevicesListingInTheFileFormat) {
    Simulator sim(dir);
    ASSERT_FALSE(sim.Port().empty());
    const Result read = Dtucfg(dir, "read --port " + sim.Port() + " --wait 1 --out " + dir +
                                        "/unit.cfg");
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.out.rfind("read\t" + sim.Port(), 0), 0u) << read.out;
    const std::string bytes = ReadFileText(dir + "/unit.cfg");
    std::string listing;
    ASSERT_EQ(FileBytesToListing(bytes, listing), ConfigFileError::None);
    EXPECT_EQ(ListingToFileBytes(listing), bytes);
    EXPECT_NE(listing.find("Access Point Name:CMNET\r\n"), std::string::npos);
    EXPECT_EQ(listing.substr(listing.size() - 4), "OK\r\n");
    // Entered by "+++" (no prompt), read, and left again: nothing else went to the device.
    EXPECT_EQ(sim.Transcript(), "+++AT+SHOW\r\nat+quit\r\n");
}

TEST_F(DtucfgTest, DiffShowsWhatAPartialFileWouldChangeAndSendsNothing) {
    Simulator sim(dir);
    Write(dir + "/part.cfg", "Protocol model:DCTCP\r\nServer's Port:9001\r\n");
    const Result diff = Dtucfg(dir, "diff --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                        "/part.cfg --set \"Server's Ip=10.1.2.3\"");
    ASSERT_EQ(diff.code, 0) << diff.err;
    EXPECT_EQ(diff.out, "Protocol model\tTRNS\tDCTCP\tAt+PROMODE=DCTCP\r\n"
                        "Server's Ip\t121.40.200.17\t10.1.2.3\tAT+IPAD=10.1.2.3\r\n"
                        "Server's Port\t9000\t9001\tAT+PORT=9001\r\n");
    EXPECT_EQ(SetCommands(sim.Transcript()), "");
    // The listing's first label after other lines: those lines count all the same.
    Write(dir + "/later.cfg", "Server's Port:9001\r\nAccess Point Name:CMNET\r\n");
    const Result later = Dtucfg(dir, "diff --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                         "/later.cfg --set \"Protocol model=DCTCP\"");
    EXPECT_NE(later.out.find("Server's Port\t9000\t9001\t"), std::string::npos) << later.out;
}

TEST_F(DtucfgTest, WriteSendsExactlyTheDifferencesAndVerifiesEach) {
    Simulator sim(dir);
    Write(dir + "/part.cfg", "Protocol model:DCTCP\r\nServer's Port:9001\r\nServer's Ip:121.40.200.17\r\n");
    const Result write = Dtucfg(dir, "write --yes --port " + sim.Port() + " --wait 1 --cfg " +
                                         dir + "/part.cfg");
    ASSERT_EQ(write.code, 0) << write.err;
    EXPECT_EQ(write.out, "Protocol model\tTRNS\tDCTCP\tverified\n"
                         "Server's Port\t9000\t9001\tverified\n");
    EXPECT_EQ(SetCommands(sim.Transcript()), "At+PROMODE=DCTCP\nAT+PORT=9001\n");
    // Read again after the writes: the device holds them.
    EXPECT_NE(sim.Transcript().find("AT+PORT=9001\r\nAT+SHOW\r\n"), std::string::npos);
    // The same file again: nothing left to write.
    const Result again = Dtucfg(dir, "write --yes --port " + sim.Port() + " --wait 1 --cfg " +
                                         dir + "/part.cfg");
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "");
}

TEST_F(DtucfgTest, ARefusedValueFailsTheRunAndIsNamed) {
    Simulator sim(dir);
    // An address that breaks its rule is never sent; a number the device does not take is
    // refused by the device.
    Write(dir + "/part.cfg", "Protocol model:DCTCP\r\nServer's Ip:121.40.200.17999.1.1.1\r\n"
                             "Server's Port:9001\r\nMSBITV:x1\r\n");
    const Result write = Dtucfg(dir, "write --yes --port " + sim.Port() + " --wait 1 --cfg " +
                                         dir + "/part.cfg");
    EXPECT_EQ(write.code, 1) << write.err;
    EXPECT_NE(write.out.find("Server's Ip\t121.40.200.17\t121.40.200.17999.1.1.1\tinvalid: not an IP"),
              std::string::npos)
        << write.out;
    EXPECT_NE(write.out.find("MSBITV\t60\tx1\trefused\n"), std::string::npos) << write.out;
    EXPECT_NE(write.out.find("Server's Port\t9000\t9001\tverified\n"), std::string::npos);
    EXPECT_NE(write.err.find("MSBITV: the device refused"), std::string::npos) << write.err;
    EXPECT_EQ(sim.Transcript().find("AT+IPAD"), std::string::npos) << "the invalid value never left";
}

TEST_F(DtucfgTest, BadArgumentsFilesAndPortsHaveTheirExitCodes) {
    EXPECT_EQ(Dtucfg(dir, "").code, 2);
    EXPECT_EQ(Dtucfg(dir, "write --cfg x.cfg").code, 2) << "no port";
    EXPECT_EQ(Dtucfg(dir, "fly --port /dev/null").code, 2);
    EXPECT_EQ(Dtucfg(dir, "read --port " + dir + "/no-such-port").code, 3);
    // A file that cannot be read, or was cut short, is refused before the port is opened.
    EXPECT_EQ(Dtucfg(dir, "diff --port " + dir + "/no-such-port --cfg " + dir + "/none.cfg").code, 2);
    Write(dir + "/cut.cfg", "Server's Port:90");
    EXPECT_EQ(Dtucfg(dir, "diff --port " + dir + "/no-such-port --cfg " + dir + "/cut.cfg").code, 2);
    Write(dir + "/ok.cfg", "Server's Port:9001\r\n");
    const Result unknown = Dtucfg(dir, "diff --port " + dir + "/no-such-port --cfg " + dir +
                                           "/ok.cfg --set \"No such label=1\"");
    EXPECT_EQ(unknown.code, 2);
    EXPECT_NE(unknown.err.find("no such label"), std::string::npos);
    const Result help = Dtucfg(dir, "--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Exit codes"), std::string::npos);
}


} // namespace


TEST_F(DtucfgTest, ApplyConfiguresUnitAfterUnitAndReportsEach) {
    Line line(dir);
    // The work mode that shows the device's ID, so that it is written.
    Write(dir + "/template.cfg", "Protocol model:PROT\r\nServer's Ip:10.0.0.9\r\n");
    Write(dir + "/units.csv", "unit,Modem'sID number,Server's Port,MSBITV\r\n"
                              "A-1,13900000001,9101,61\r\n"
                              "A-2,13900000002,9102,62\r\n"
                              "A-3,13900000003,9103,x1\r\n");
    const std::string report = dir + "/report.csv";
    Background apply(dir, "apply --port " + line.Station() + " --wait 20 --stop-after 3 --cfg " +
                              dir + "/template.cfg --units " + dir + "/units.csv --report " +
                              report);
    for (int unit = 1; unit <= 3; ++unit) {
        line.StartUnit(unit);
        // The unit is done when its report row is there.
        for (int i = 0; i < 1000 && Lines(ReadFileText(report)) < size_t(unit) + 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(apply.Wait(), 1) << ReadFileText(dir + "/err") << "the third unit refuses x1";
    const std::string rows = ReadFileText(report);
    ASSERT_EQ(Lines(rows), 4u) << rows;
    EXPECT_EQ(rows.rfind("time,unit,version,id_before,id_after,written,outcome,reason,station,port,"
                         "operator,identity\r\n",
                         0),
              0u);
    EXPECT_NE(rows.find(",A-1,DTU-X6 firmware V2.3.7 (2026-03-14),13800000001,13900000001,"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(",A-2,"), std::string::npos);
    EXPECT_NE(rows.find(",13900000002,\"MSBITV;Modem's ID number;Protocol model;Server's Ip;"
                        "Server's Port\",verified,,"),
              std::string::npos)
        << rows;
    EXPECT_NE(rows.find(",failed,MSBITV refused"), std::string::npos) << rows;

    // Resumed: the verified units are skipped, the failed one is tried again.
    Write(dir + "/units.csv", "unit,Modem'sID number,Server's Port,MSBITV\r\n"
                              "A-1,13900000001,9101,61\r\n"
                              "A-2,13900000002,9102,62\r\n"
                              "A-3,13900000003,9103,63\r\n");
    Background resume(dir, "apply --resume --port " + line.Station() + " --wait 20 --cfg " + dir +
                               "/template.cfg --units " + dir + "/units.csv --report " + report);
    line.StartUnit(3);
    EXPECT_EQ(resume.Wait(), 0) << ReadFileText(dir + "/err");
    const std::string after = ReadFileText(report);
    EXPECT_EQ(Lines(after), 5u) << after;
    EXPECT_NE(after.find(",A-3,"), after.rfind(",A-3,"));
    EXPECT_NE(ReadFileText(dir + "/err").find("unit A-1: verified in an earlier run, skipped"),
              std::string::npos);
}

TEST_F(DtucfgTest, ABadUnitsFileIsRefusedBeforeAnythingIsSent) {
    Simulator sim(dir);
    Write(dir + "/template.cfg", "Server's Port:9001\r\n");
    struct Case {
        const char* csv;
        const char* said;
    } cases[] = {
        {"Modem'sID number,Server's Port\r\n1,2\r\n", "there is no \"unit\" column"},
        {"unit,Server's Port,Colour\r\nA,1,red\r\n", "line 1, column 3 (\"Colour\"): no such label"},
        {"unit,Server's Port\r\nA,\"90\r\n01\"\r\n", "line 2, column 2: a value holds a line break"},
        {"unit,Server's Port\r\nA,9001,extra\r\n", "line 2 has 3 columns"},
        {"unit,Server's Port\r\nA,9001\r\nB,900090\r\n",
         "line 3, column 2 (\"Server's Port\"): \"900090\" is not a port number"},
    };
    for (const Case& c : cases) {
        Write(dir + "/units.csv", c.csv);
        const Result apply = Dtucfg(dir, "apply --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                             "/template.cfg --units " + dir +
                                             "/units.csv --report " + dir + "/report.csv");
        EXPECT_EQ(apply.code, 2) << c.csv;
        EXPECT_NE(apply.err.find(c.said), std::string::npos) << apply.err;
    }
    EXPECT_EQ(sim.Transcript(), "") << "nothing was sent";
}

TEST(SerialLines, PortsAreDescribedOnceWithTheAdaptersOwnName) {
    SerialPortInfo port;
    port.name = "COM5";
    port.description = "USB Serial Port (COM5)";
    EXPECT_EQ(DescribePort(port), "COM5 - USB Serial Port");
    port.inUse = true;
    EXPECT_EQ(DescribePort(port), "COM5 - USB Serial Port (in use)");
    // Renumbered, the adapter keeps its own name.
    EXPECT_EQ(AdapterName("USB Serial Port (COM7)"), AdapterName("USB Serial Port (COM5)"));
    EXPECT_EQ(AdapterName("Prolific USB-to-Serial"), "Prolific USB-to-Serial");
}

// The baud rate found by listening: nothing is sent before the device's own prompt, and without
// a prompt the run ends saying so, having sent nothing. (On a pty every rate hears the prompt,
// so the first rate tried, 115200, is taken.)
TEST_F(DtucfgTest, AutoBaudListensForThePromptAndSendsNothingWhileGuessing) {
    {
        Simulator sim(dir, "--prompts 30 --prompt-interval 200");
        const Result read = Dtucfg(dir, "read --baud auto --port " + sim.Port() + " --wait 5");
        EXPECT_EQ(read.code, 0) << read.err;
        EXPECT_NE(read.err.find("baud rate found: 115200"), std::string::npos) << read.err;
        const std::string sent = sim.Transcript();
        EXPECT_EQ(sent.find_first_not_of('s'), sent.find("AT+SHOW")) << sent;
    }
    const std::string other = MakeDir();
    Simulator quiet(other, "--prompts 0");
    const Result none = Dtucfg(dir, "read --baud auto --port " + quiet.Port() + " --wait 1");
    EXPECT_EQ(none.code, 3);
    EXPECT_NE(none.err.find("no baud rate found"), std::string::npos) << none.err;
    EXPECT_EQ(quiet.Transcript(), "") << "nothing is sent while guessing";
}

// Every write keeps the device's configuration as read before it; undo writes it back, verified.
TEST_F(DtucfgTest, AWriteCanBeUndone) {
    Simulator sim(dir);
    Write(dir + "/part.cfg", "Protocol model:DCTCP\r\nServer's Port:9001\r\n");
    const std::string backups = dir + "/backups";
    ASSERT_EQ(Dtucfg(dir, "write --yes --port " + sim.Port() + " --wait 1 --cfg " + dir +
                              "/part.cfg --backups " + backups)
                  .code,
              0);
    const std::string kept = ReadFileText(dir + "/out");
    const Result undo = Dtucfg(dir, "undo --yes --port " + sim.Port() + " --wait 1 --backups " +
                                        backups);
    ASSERT_EQ(undo.code, 0) << undo.err;
    // Back in TRNS the server page is out of use: its port is written back first, while the
    // device's DCTCP still uses it, then the work mode that hides it.
    EXPECT_EQ(undo.out, "Server's Port\t9001\t9000\tverified\n"
                        "Protocol model\tDCTCP\tTRNS\tverified\n");
    EXPECT_NE(SetCommands(sim.Transcript()).find("AT+PORT=9001\nAT+PORT=9000\nAt+PROMODE=TRNS\n"),
              std::string::npos)
        << SetCommands(sim.Transcript());
    EXPECT_NE(undo.err.find("restored 2 value(s) from "), std::string::npos) << undo.err;
    // Without a snapshot of the device: said, nothing written.
    const Result none = Dtucfg(dir, "undo --yes --port " + sim.Port() + " --wait 1 --backups " +
                                        dir + "/empty");
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("no snapshot"), std::string::npos);
}

TEST_F(DtucfgTest, CompareNamesTheDifferencesAndWritesNothing) {
    Simulator sim(dir);
    Write(dir + "/part.cfg", "Server's Port:9001\r\nServer's Ip:121.40.200.17\r\n");
    const Result device = Dtucfg(dir, "compare --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                          "/part.cfg");
    EXPECT_EQ(device.code, 1) << "differences are not success: " << device.err;
    // The device's value, then the file's: as the window's compare shows them.
    EXPECT_EQ(device.out, "Server's Port\t9000\t9001\n");
    Write(dir + "/other.cfg", "Server's Port:9002\r\nServer's Ip:10.0.0.1\r\n");
    const Result files = Dtucfg(dir, "compare --cfg " + dir + "/part.cfg --cfg " + dir +
                                         "/other.cfg");
    EXPECT_EQ(files.code, 1) << files.err;
    EXPECT_EQ(Dtucfg(dir, "compare --cfg " + dir + "/part.cfg --cfg " + dir + "/part.cfg").code, 0);
    EXPECT_EQ(files.out, "Server's Ip\t121.40.200.17\t10.0.0.1\nServer's Port\t9001\t9002\n");
    EXPECT_EQ(SetCommands(sim.Transcript()), "");
}

namespace {

// What a new user of the command line meets: every exit code says what happened.
TEST_F(DtucfgTest, EveryFailureHasItsExitCodeAndItsReason) {
    Simulator sim(dir);
    // Values the device's other settings leave out of use are not written: not success.
    Write(dir + "/id.cfg", "Modem's ID number:13900000009\r\n");
    const Result hidden = Dtucfg(dir, "write --yes --port " + sim.Port() + " --wait 1 --cfg " +
                                          dir + "/id.cfg");
    EXPECT_EQ(hidden.code, 1) << hidden.err;
    EXPECT_NE(hidden.err.find("the device still differs: Modem's ID number"), std::string::npos)
        << hidden.err;
    EXPECT_NE(hidden.out.find("Modem's ID number\t13800000001\t13900000009\tnot applied"),
              std::string::npos);
    // An invalid --set is refused before the port is opened, also for diff.
    Write(dir + "/ok.cfg", "Protocol model:DCTCP\r\nServer's Port:9001\r\n");
    const Result invalid = Dtucfg(dir, "diff --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                           "/ok.cfg --set \"Server's Port=70000\"");
    EXPECT_EQ(invalid.code, 2);
    EXPECT_NE(invalid.err.find("not a port number"), std::string::npos) << invalid.err;
    // A read-only label cannot be set.
    EXPECT_EQ(Dtucfg(dir, "diff --port " + sim.Port() + " --cfg " + dir +
                              "/ok.cfg --set \"Device Type=LoRa\"")
                  .code,
              2);
    // A file that names nothing is no template.
    Write(dir + "/empty.cfg", "");
    const Result empty = Dtucfg(dir, "write --yes --port " + sim.Port() + " --cfg " + dir +
                                         "/empty.cfg");
    EXPECT_EQ(empty.code, 2);
    EXPECT_NE(empty.err.find("names no parameter"), std::string::npos) << empty.err;
    // A missing file says the system's reason.
    const Result missing = Dtucfg(dir, "write --yes --port " + sim.Port() + " --cfg " + dir +
                                           "/none.cfg");
    EXPECT_NE(missing.err.find("none.cfg cannot be read: No such file"), std::string::npos)
        << missing.err;
    // read --out to a place that cannot be written is refused before the device is disturbed.
    const std::string before = sim.Transcript();
    const Result out = Dtucfg(dir, "read --port " + sim.Port() + " --out " + dir + "/no/x.cfg");
    EXPECT_EQ(out.code, 2);
    EXPECT_EQ(sim.Transcript(), before) << "nothing was sent";
    // --version, and a question that ends its line when nobody types at a terminal.
    const Result version = Dtucfg(dir, "--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("dtucfg ", 0), 0u) << version.out;
    const Result asked = Dtucfg(dir, "write --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                         "/ok.cfg");
    EXPECT_EQ(asked.code, 1);
    EXPECT_NE(asked.err.find("[y/N] \ndtucfg: nothing was written"), std::string::npos)
        << asked.err;
    // A byte-order mark before a partial file's first line does not hide that line.
    Write(dir + "/bom.cfg", "\xEF\xBB\xBFProtocol model:DCTCP\r\nServer's Port:9002\r\n");
    const Result bom = Dtucfg(dir, "diff --port " + sim.Port() + " --wait 1 --cfg " + dir +
                                       "/bom.cfg");
    EXPECT_EQ(bom.code, 0) << bom.err;
    EXPECT_NE(bom.out.find("Server's Port\t9000\t9002\tAT+PORT=9002"), std::string::npos)
        << bom.out;
}

TEST_F(DtucfgTest, ADeviceThatSendsNoListingIsADeviceThatDidNotAnswer) {
    Simulator sim(dir);
    Background read(dir, "read --port " + sim.Port() + " --wait 1");
    ASSERT_TRUE(WaitFor(dir + "/transcript", "+++"));
    sim.Control("fault noreply:5");
    EXPECT_EQ(read.Wait(), 3) << ReadFileText(dir + "/err");
}

// A device left waiting for the user's "y" times out of its setting mode: it is entered again
// before anything is sent, or the running device would forward the commands to its server.
TEST_F(DtucfgTest, AWriteAfterTheDeviceLeftItsSettingModeEntersItAgain) {
    Simulator sim(dir, "--idle-timeout 1");
    Write(dir + "/ok.cfg", "Protocol model:DCTCP\r\nServer's Port:9001\r\n");
    Background write(dir, "write --port " + sim.Port() + " --wait 1 --cfg " + dir + "/ok.cfg",
                     "< <(sleep 3; echo y)");
    EXPECT_EQ(write.Wait(), 0) << ReadFileText(dir + "/err");
    EXPECT_NE(ReadFileText(dir + "/err").find("left its setting mode"), std::string::npos);
    const std::string sent = sim.Transcript();
    const size_t second = sent.find("+++", sent.find("+++") + 3);
    ASSERT_NE(second, std::string::npos) << sent;
    EXPECT_LT(second, sent.find("AT+PORT=9001")) << sent;
    EXPECT_NE(ReadFileText(dir + "/out").find("verified"), std::string::npos);
}

TEST_F(DtucfgTest, AVanishedOrBusyPortIsSaidSoAtOnce) {
    {
        Simulator sim(dir);
        // The listing comes late; the adapter is pulled meanwhile.
        Background read(dir, "read --port " + sim.Port() + " --wait 1");
        ASSERT_TRUE(WaitFor(dir + "/transcript", "+++"));
        sim.Control("fault late:8000");
        ASSERT_TRUE(WaitFor(dir + "/transcript", "AT+SHOW"));
        const auto pulled = std::chrono::steady_clock::now();
        sim.Kill();
        EXPECT_NE(read.Wait(), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - pulled, std::chrono::seconds(4))
            << "a hang-up ends the job, not the listing's 24 s wait";
    }
    Simulator sim(dir);
    Process holder("flock " + sim.Port() + " sleep 30");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const Result busy = Dtucfg(dir, "read --port " + sim.Port() + " --wait 1");
    EXPECT_EQ(busy.code, 3);
    EXPECT_NE(busy.err.find("in use by another program"), std::string::npos) << busy.err;
}

// Undo finds the last write to a unit whose ID that write changed, and restores it all.
TEST_F(DtucfgTest, UndoAfterTheWriteChangedTheId) {
    Simulator sim(dir);
    Write(dir + "/part.cfg", "Protocol model:PROT\r\nModem's ID number:13900000077\r\n");
    ASSERT_EQ(Dtucfg(dir, "write --yes --port " + sim.Port() + " --wait 1 --cfg " + dir +
                              "/part.cfg")
                  .code,
              0)
        << ReadFileText(dir + "/err");
    const Result undo = Dtucfg(dir, "undo --yes --port " + sim.Port() + " --wait 1");
    EXPECT_EQ(undo.code, 0) << undo.err;
    EXPECT_NE(undo.out.find("Modem's ID number\t13900000077\t13800000001\tverified"),
              std::string::npos)
        << undo.out;
    EXPECT_NE(undo.out.find("Protocol model\tPROT\tTRNS\tverified"), std::string::npos);
    // The undo kept a snapshot of its own: it can be undone in turn.
    const Result again = Dtucfg(dir, "undo --yes --port " + sim.Port() + " --wait 1");
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find("Modem's ID number\t13800000001\t13900000077\tverified"),
              std::string::npos)
        << again.out;
}

} // namespace
