// The dtusim program itself on a pty: its transcript, its configuration file across a restart,
// its faults and its --help.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "tests/support/file_text.h"

namespace {

using testsupport::ReadFileText;

// One run of the simulator on the slave side of a fresh pty.
class Simulator {
public:
    explicit Simulator(const std::string& dir, const std::string& extra = "") {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        termios t;
        tcgetattr(master_, &t);
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
        std::string command = std::string(DTUSIM_PATH) + " --tty " + ptsname(master_) +
                              " --config " + dir + "/device.cfg --transcript " + dir +
                              "/transcript --control " + dir + "/control --prompts 0 --baud 0 " +
                              extra;
        pid_ = fork();
        if (pid_ == 0) {
            execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ~Simulator() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(master_);
    }
    void Send(const std::string& bytes) {
        ssize_t n = write(master_, bytes.data(), bytes.size());
        (void)n;
    }
    // Everything received until `until` shows up (or the time is up).
    std::string Receive(const std::string& until, int ms = 5000) {
        std::string text;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (text.find(until) == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p = {master_, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char buffer[4096];
                ssize_t n = read(master_, buffer, sizeof(buffer));
                if (n > 0)
                    text.append(buffer, size_t(n));
            }
        }
        return text;
    }
    std::string Ask(const std::string& command, const std::string& until = "OK\r\n",
                    int ms = 5000) {
        Send(command);
        return Receive(until, ms);
    }

private:
    int master_ = -1;
    pid_t pid_ = -1;
};

class DtusimProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/dtusim-test.XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }
    std::string dir_;
};

TEST_F(DtusimProgram, HelpDescribesTheOptions) {
    FILE* p = popen((std::string(DTUSIM_PATH) + " --help").c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), p))
        text += buffer;
    EXPECT_EQ(pclose(p), 0);
    for (const char* option : {"--tty", "--config", "--transcript", "--baud", "--fault"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
}

TEST_F(DtusimProgram, ConfigurationSurvivesARestartAndTheTranscriptKeepsEveryByte) {
    {
        Simulator sim(dir_);
        EXPECT_NE(sim.Ask("+++", "enter setting!").find("enter setting!"), std::string::npos);
        EXPECT_NE(sim.Ask("AT+PORT=9100\r\n").find("OK\r\n"), std::string::npos);
        EXPECT_NE(sim.Ask("AT+PORT=abc\r\n", "ERROR\r\n").find("ERROR\r\n"), std::string::npos);
        sim.Ask(std::string("AT+VER\r\n\0\xff", 10));
    }
    EXPECT_EQ(ReadFileText(dir_ + "/transcript"),
              std::string("+++AT+PORT=9100\r\nAT+PORT=abc\r\nAT+VER\r\n\0\xff", 40));
    {
        Simulator sim(dir_);
        sim.Ask("+++", "enter setting!");
        std::string listing = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
        EXPECT_NE(listing.find("\r\nServer's Port:9100\r\n"), std::string::npos);
        sim.Ask("AT+FACTORY\r\n");
    }
    {
        Simulator sim(dir_);
        sim.Ask("+++", "enter setting!");
        std::string listing = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
        EXPECT_NE(listing.find("\r\nServer's Port:9000\r\n"), std::string::npos);
    }
}

TEST_F(DtusimProgram, DeviceWordsAreTakenAndKeptAcrossARestart) {
    {
        Simulator sim(dir_);
        sim.Ask("+++", "enter setting!");
        std::string listing = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
        for (const char* line :
             {"\r\nProtocol model:TRNS\r\n", "\r\nTransfer protocol:TCP\r\n",
              "\r\nThe PPP authentication:PAP\r\n", "\r\nActivate Method:AUTO\r\n",
              "\r\nDevice model:CLI\r\n", "\r\nLORA Mode:TRNS\r\n"})
            EXPECT_NE(listing.find(line), std::string::npos) << line;
        EXPECT_NE(sim.Ask("At+PROMODE=MTCP/MRTU\r\n").find("OK\r\n"), std::string::npos);
        EXPECT_NE(sim.Ask("AT+PAUTH=1\r\n", "ERROR\r\n").find("ERROR\r\n"), std::string::npos);
        EXPECT_NE(sim.Ask("AT+DIOINTFACE2=RS485\r\n").find("OK\r\n"), std::string::npos);
    }
    Simulator sim(dir_);
    sim.Ask("+++", "enter setting!");
    std::string listing = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
    for (const char* line : {"\r\nProtocol model:MTCP/MRTU\r\n",
                             "\r\nThe PPP authentication:PAP\r\n", "DIO2 interface:RS485\r\n"})
        EXPECT_NE(listing.find(line), std::string::npos) << line;
}

TEST_F(DtusimProgram, FaultsOnDemand) {
    Simulator sim(dir_, "--seed 3");
    sim.Ask("+++", "enter setting!");
    std::string clean = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");

    auto control = [&](const std::string& line) {
        FILE* f = std::fopen((dir_ + "/control").c_str(), "ab");
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    control("fault zeros");
    std::string zeros = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
    EXPECT_GT(zeros.size(), clean.size());
    EXPECT_NE(zeros.find('\0'), std::string::npos);

    control("fault garbage");
    std::string garbage = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
    EXPECT_GT(garbage.size(), clean.size());

    control("fault flood");
    std::string flood = sim.Ask("AT+SHOW\r\n", "\r\nOK\r\n");
    EXPECT_GE(flood.size(), clean.size() + 20000);
    EXPECT_GT(flood.size(), 16000u);
    EXPECT_EQ(flood.substr(flood.size() - clean.size()), clean);

    control("fault csq-error");
    EXPECT_NE(sim.Ask("At+CSQ\r\n", "ERROR\r\n").find("ERROR\r\n"), std::string::npos);
    EXPECT_NE(sim.Ask("At+CSQ\r\n").find("+CSQ:"), std::string::npos);

    control("fault noreply");
    EXPECT_EQ(sim.Ask("At+VER\r\n", "never", 800).find("OK"), std::string::npos);
    EXPECT_NE(sim.Ask("At+VER\r\n").find("OK\r\n"), std::string::npos);

    control("timeout");
    EXPECT_NE(sim.Receive("Seting Timeout and quit").find("Seting Timeout and quit"),
              std::string::npos);
    // Out of the setting mode, commands are not answered until "+++".
    EXPECT_EQ(sim.Ask("At+VER\r\n", "never", 800).find("OK"), std::string::npos);
    control("prompt");
    EXPECT_NE(sim.Receive("'s' key").find("'s' key"), std::string::npos);
    EXPECT_NE(sim.Ask("s", "AT+LIST").find("AT+LIST"), std::string::npos);
}

} // namespace
