// dtucfg.exe under Wine on a virtual COM port, with the simulated device on the other end: it
// reads the configuration into a .cfg file and writes a partial file with every value verified.
#include "params/config_file.h"
#include "support/wintest.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace {

std::string Scratch(const std::string& name) {
    return wintest::ScratchDir() + "\\" + name;
}

// Runs dtucfg.exe with the arguments, its output into files of the scratch folder; the exit code.
int Dtucfg(const std::string& args, std::string& out) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE stdoutFile = CreateFileA(Scratch("out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                    CREATE_ALWAYS, 0, nullptr);
    HANDLE stderrFile = CreateFileA(Scratch("err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                    CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = stdoutFile;
    startup.hStdError = stderrFile;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string command = std::string("\"") + DTUCFG_PATH + "\" " + args;
    DWORD code = 99;
    if (CreateProcessA(DTUCFG_PATH, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(stdoutFile);
    CloseHandle(stderrFile);
    out = wintest::ReadFileText(Scratch("out"));
    return static_cast<int>(code);
}

const std::string kPort = wintest::Env("ORVEL_COM_PORT", "COM10");

TEST(DtucfgUnderWine, ReadsAndWritesThroughAComPort) {
    std::string out;
    ASSERT_EQ(Dtucfg("read --port " + kPort + " --wait 1 --out " + Scratch("unit.cfg"), out), 0)
        << wintest::ReadFileText(Scratch("err"));
    std::string listing;
    ASSERT_EQ(FileBytesToListing(wintest::ReadFileText(Scratch("unit.cfg")), listing),
              ConfigFileError::None);
    EXPECT_NE(listing.find("Access Point Name:"), std::string::npos);

    wintest::WriteFileText(Scratch("part.cfg"), "Protocol model:DCTCP\r\nServer's Port:9002\r\n");
    ASSERT_EQ(Dtucfg("write --yes --port " + kPort + " --wait 1 --backups " + Scratch("backups") +
                         " --cfg " + Scratch("part.cfg"),
                     out),
              0)
        << wintest::ReadFileText(Scratch("err"));
    EXPECT_NE(out.find("Server's Port\t9000\t9002\tverified\n"), std::string::npos) << out;
    const std::string transcript = wintest::ReadFileText(Scratch("transcript"));
    EXPECT_NE(transcript.find("AT+PORT=9002\r\nAT+SHOW\r\n"), std::string::npos) << transcript;
    // An unknown port: exit code 3.
    EXPECT_EQ(Dtucfg("read --port COM250 --wait 1", out), 3);
}

size_t Lines(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

void Touch(const std::string& name) {
    wintest::WriteFileText(Scratch(name), "");
}

bool Exists(const std::string& name) {
    return GetFileAttributesA(Scratch(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done())
            return true;
        Sleep(20);
    }
    return done();
}

// The production line under Wine: two units, one after the other, each a device that powers up
// with its prompt (the simulator started again with a configuration of its own).
TEST(DtucfgUnderWine, AppliesATemplateToTwoUnitsAndReportsThem) {
    wintest::WriteFileText(Scratch("template.cfg"),
                           "Protocol model:PROT\r\nServer's Ip:10.0.0.9\r\n");
    wintest::WriteFileText(Scratch("units.csv"), "unit,Modem'sID number,Server's Port\r\n"
                                                 "W-1,13700000001,9201\r\n"
                                                 "W-2,13700000002,9202\r\n");
    DeleteFileA(Scratch("report.csv").c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string command = std::string("\"") + DTUCFG_PATH + "\" apply --port " + kPort +
                          " --wait 30 --backups " + Scratch("backups") + " --cfg " +
                          Scratch("template.cfg") + " --units " +
                          Scratch("units.csv") + " --report " + Scratch("report.csv");
    ASSERT_TRUE(CreateProcessA(DTUCFG_PATH, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    const std::string linuxDir = wintest::Env("ORVEL_TEST_DIR");
    for (int unit = 1; unit <= 2; ++unit) {
        wintest::WriteFileText(Scratch("sim-args"), "--prompts 20 --prompt-interval 200 --config " +
                                                        linuxDir + "/unit" +
                                                        std::to_string(unit) + ".device");
        Touch("sim-stop");
        ASSERT_TRUE(WaitFor([] { return Exists("sim-stopped"); }, 5000));
        Touch("sim-start");
        ASSERT_TRUE(WaitFor(
            [&] { return Lines(wintest::ReadFileText(Scratch("report.csv"))) >= size_t(unit) + 1; },
            40000))
            << "unit " << unit;
    }
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);
    const std::string report = wintest::ReadFileText(Scratch("report.csv"));
    EXPECT_NE(report.find(",W-1,"), std::string::npos) << report;
    EXPECT_NE(report.find(",13700000001,\"Modem's ID number;Protocol model;Server's Ip;Server's "
                          "Port\",verified,,"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(",13700000002,\"Modem's ID number;"), std::string::npos) << report;
    // The simulator as the other tests expect it again: running, without prompts.
    DeleteFileA(Scratch("sim-args").c_str());
    Touch("sim-stop");
    WaitFor([] { return Exists("sim-stopped"); }, 5000);
    Touch("sim-start");
}

} // namespace
