#include "shell/dtucfg_tool.h"

#include "base/files.h"
#include "shell/units_file.h"
#include "exchange/dialogue_policy.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

std::atomic<bool> g_stopRequested{false};

namespace {

std::mutex g_sayLock;


extern "C" void OnStopSignal(int) {
    g_stopRequested = true;
}

} // namespace

namespace {
std::string g_lastSaid;
} // namespace

std::string LastSaid() {
    std::lock_guard<std::mutex> lock(g_sayLock);
    return g_lastSaid;
}

void Say(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_sayLock);
    g_lastSaid = text;
    std::fprintf(stderr, "dtucfg: %s\n", text.c_str());
    std::fflush(stderr);
}

void InstallStopHandler() {
    std::signal(SIGINT, OnStopSignal);
#ifdef SIGTERM
    std::signal(SIGTERM, OnStopSignal);
#endif
}

const CParameterStore& Labels() {
    return LabelCatalogue();
}

