#include "shell/dtucfg_tool.h"
#ifdef _WIN32
#include "base/wide.h"

#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

#include "base/files.h"
#include "shell/page_session.h"
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

// The folder of the running program (UTF-8).
std::string ProgramFolderOf(const char* argv0) {
#ifdef _WIN32
    (void)argv0;
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    std::string text = Utf8Of(path);
    const size_t slash = text.find_last_of("\\/");
#else
    std::string text = argv0 ? argv0 : "";
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length > 0)
        text.assign(self, static_cast<size_t>(length));
    const size_t slash = text.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string(".") : text.substr(0, slash);
}

// ---- Where the tool finds its skin and keeps its snapshots ------------------------------------

std::string CTool::SkinFolder() const {
    if (!options_.skin.empty())
        return options_.skin;
    std::string folder = ProgramFolderOf(argv0_) + "/skin/ConifgENRes";
#ifdef ORVEL_SOURCE_SKIN
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::u8path(folder + "/skin.xml"), error))
        folder = ORVEL_SOURCE_SKIN;
#endif
    return folder;
}

bool CTool::CheckSkin() const {
    CPageSession pages;
    if (!pages.Load(SkinFolder())) {
        Say("the skin folder " + SkinFolder() + " cannot be read (see --skin)");
        return false;
    }
    return true;
}

std::string CTool::BackupFolder() const {
    if (!options_.backups.empty())
        return options_.backups;
#ifdef _WIN32
    // The window's rule: a folder with "portable.ini" keeps everything beside the program; an
    // installed program's snapshots are the user's, in the same folder as the window's, so
    // that either can undo the other's write.
    const std::string program = ProgramFolderOf(argv0_);
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::u8path(program + "/portable.ini"), error))
        return program + "/backups";
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || *local == L'\0')
        return program + "/backups";
    return Utf8Of(std::wstring(local)) + "\\DtuConfig\\backups";
#else
    // The user's data folder (XDG): a program installed system-wide cannot write beside itself.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::string(data) + "/dtucfg/backups";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/dtucfg/backups";
#endif
}
