// The simulated device for native tests: dtusim on a pty of its own (DTUSIM_PATH), its
// transcript of what it received and its control file in a scratch folder.
#pragma once

#include "tests/support/file_text.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

// Starts a shell command in a process group of its own (so that signals reach it alone); its
// process id.
inline pid_t Spawn(const std::string& command, const char* shell = "/bin/sh") {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        execl(shell, shell, "-c", command.c_str(), nullptr);
        _exit(127);
    }
    return pid;
}

inline std::string MakeDir() {
    char folder[] = "/tmp/dtucfg-test-XXXXXX";
    return mkdtemp(folder) ? folder : "/tmp";
}

inline void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The simulator on a pty of its own, whose other end dtucfg opens.
class Simulator {
public:
    Simulator(const std::string& dir, const std::string& extra = "") : dir_(dir) {
        const std::string command = std::string(DTUSIM_PATH) + " --config " + dir +
                                    "/device.cfg --transcript " + dir + "/transcript --control " +
                                    dir + "/control --prompts 0 --baud 0 " + extra + " > " + dir +
                                    "/pty 2>/dev/null";
        pid_ = Spawn("exec " + command);
        for (int i = 0; i < 100 && port_.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            port_ = ReadFileText(dir + "/pty");
            while (!port_.empty() && port_.back() == '\n')
                port_.pop_back();
        }
    }
    ~Simulator() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Port() const { return port_; }
    std::string Transcript() const { return ReadFileText(dir_ + "/transcript"); }
    void Control(const std::string& line) const {
        std::ofstream(dir_ + "/control", std::ios::app) << line << "\n";
    }
    // The simulator ends: its pty goes with it, as an adapter pulled out.
    void Kill() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    std::string dir_;
    std::string port_;
    pid_t pid_ = -1;
};

} // namespace testsupport
