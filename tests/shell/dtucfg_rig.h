// The test rig of dtucfg: the simulated device on a pty of its own or on a socat pty pair
// whose device end is restarted per unit, dtucfg run to its end or in the background.
#pragma once

#include "tests/support/device_sim.h"
#include "tests/support/file_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dtucfgrig {

using testsupport::ReadFileText;



using testsupport::MakeDir;
using testsupport::Spawn;
using testsupport::Simulator;
using testsupport::Write;

struct Result {
    int code = -1;
    std::string out, err;
};

inline Result Dtucfg(const std::string& dir, const std::string& args) {
    // Snapshots go to the test's own data folder, never the user's.
    const std::string command = "XDG_DATA_HOME=" + dir + "/data " + std::string(DTUCFG_PATH) +
                                " " + args + " > " + dir + "/out 2> " + dir + "/err < /dev/null";
    const int status = std::system(command.c_str());
    Result result;
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFileText(dir + "/out");
    result.err = ReadFileText(dir + "/err");
    return result;
}

// The set commands in a transcript (lines with "=").
inline std::string SetCommands(const std::string& transcript) {
    std::string commands;
    size_t at = 0;
    for (size_t end; (end = transcript.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::string line = transcript.substr(at, end - at);
        if (line.find('=') != std::string::npos)
            commands += line + "\n";
    }
    return commands;
}

class DtucfgTest : public ::testing::Test {
protected:
    std::string dir = MakeDir();
};



// A linked pty pair (socat): the device's end for dtusim, which the test restarts for every
// unit, and the workstation's end that dtucfg keeps open across the units.
class Line {
public:
    // `name` tells several lines in one folder apart ("a" gives "adevice", "astation").
    explicit Line(const std::string& dir, const std::string& name = "") : dir_(dir + "/" + name) {
        pid_ = Spawn("exec socat pty,raw,echo=0,link=" + dir_ + "device pty,raw,echo=0,link=" +
                     dir_ + "station >/dev/null 2>&1");
        for (int i = 0; i < 100 && !Exists(dir_ + "station"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~Line() {
        StopUnit();
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    std::string Station() const { return dir_ + "station"; }
    std::string Transcript() const { return ReadFileText(dir_ + "transcript"); }
    void Control(const std::string& line) const {
        std::ofstream(dir_ + "control", std::ios::app) << line << "\n";
    }
    // A unit is connected and powered: dtusim with its own configuration, prompting.
    void StartUnit(int n, const std::string& config = "", const std::string& extra = "") {
        StopUnit();
        const std::string file = dir_ + "unit" + std::to_string(n) + ".device";
        if (!config.empty())
            Write(file, config);
        unit_ = Spawn("exec " + std::string(DTUSIM_PATH) + " --tty " + dir_ + "device --config " +
                      file + " --transcript " + dir_ + "transcript --control " + dir_ +
                      "control --prompts 20 --prompt-interval 200 --baud 0 " + extra);
    }
    // The adapter of this line is pulled out: the station's end hangs up.
    void Vanish() {
        StopUnit();
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    void StopUnit() {
        if (unit_ > 0) {
            kill(unit_, SIGTERM);
            waitpid(unit_, nullptr, 0);
        }
        unit_ = -1;
    }

private:
    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
    std::string dir_;
    pid_t pid_ = -1;
    pid_t unit_ = -1;
};

// Runs dtucfg in the background; Wait() gives its exit code.
class Background {
public:
    // `input`: where its standard input comes from (a file, or a command's output).
    Background(const std::string& dir, const std::string& args,
               const std::string& input = "< /dev/null") {
        pid_ = Spawn("XDG_DATA_HOME=" + dir + "/data exec " + std::string(DTUCFG_PATH) + " " +
                         args + " > " + dir + "/out 2> " + dir + "/err " + input,
                     "/bin/bash");
    }
    void Interrupt() { kill(pid_, SIGINT); }
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
};

// Another program: a shell command in the background, ended with the test.
class Process {
public:
    explicit Process(const std::string& command) {
        pid_ = Spawn("exec " + command, "/bin/bash");
    }
    ~Process() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

// Waits up to `seconds` for `part` to appear in the file.
inline bool WaitFor(const std::string& path, const std::string& part, int seconds = 20) {
    for (int i = 0; i < seconds * 50; ++i) {
        if (ReadFileText(path).find(part) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A unit's device file: its ID and work mode (the simulator keeps the rest as it starts).
inline std::string UnitConfig(const std::string& id, const std::string& mode = "TRNS") {
    return "Modem's ID number:\t" + id + "\nProtocol model:\t" + mode + "\n";
}

inline size_t Lines(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}


} // namespace dtucfgrig
