// dtucfg.exe under Wine on a virtual COM port, with the simulated device on the other end: it
// reads the configuration into a .cfg file and writes a partial file with every value verified.
#include "params/config_file.h"
#include "support/wintest.h"

#include <gtest/gtest.h>

#include <windows.h>

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
    ASSERT_EQ(Dtucfg("write --yes --port " + kPort + " --wait 1 --cfg " + Scratch("part.cfg"), out),
              0)
        << wintest::ReadFileText(Scratch("err"));
    EXPECT_NE(out.find("Server's Port\t9000\t9002\tverified\n"), std::string::npos) << out;
    const std::string transcript = wintest::ReadFileText(Scratch("transcript"));
    EXPECT_NE(transcript.find("AT+PORT=9002\r\nAT+SHOW\r\n"), std::string::npos) << transcript;
    // An unknown port: exit code 3.
    EXPECT_EQ(Dtucfg("read --port COM250 --wait 1", out), 3);
}

} // namespace
