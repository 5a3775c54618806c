#include "base/crash_report.h"

#include "base/wide.h"

#include <windows.h>

#include <dbghelp.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string g_folder, g_program, g_lastReport;
std::atomic<bool> g_crashed{false};

struct Symbol {
    unsigned long long address;
    std::string name;
};

// The program's functions from "<executable>.map" (nm's output: address, type, name), sorted.
std::vector<Symbol> LoadSymbols(unsigned long long& preferredBase) {
    std::vector<Symbol> symbols;
    wchar_t path[32768] = {};
    GetModuleFileNameW(nullptr, path, 32767);
    std::wstring map = path;
    const size_t dot = map.find_last_of(L'.');
    map = (dot == std::wstring::npos ? map : map.substr(0, dot)) + L".map";
    std::ifstream in(map.c_str());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (!(fields >> address >> type) || (type != "T" && type != "t"))
            continue;
        std::getline(fields, name);
        if (!name.empty() && name[0] == ' ')
            name.erase(0, 1);
        if (name.empty())
            continue;
        symbols.push_back({std::strtoull(address.c_str(), nullptr, 16), name});
    }
    // At one address a function's name wins over a section's (".text.startup").
    std::sort(symbols.begin(), symbols.end(), [](const Symbol& a, const Symbol& b) {
        if (a.address != b.address)
            return a.address < b.address;
        return (a.name[0] == '.') > (b.name[0] == '.');
    });
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const char*>(dos) + dos->e_lfanew);
    preferredBase = nt->OptionalHeader.ImageBase;
    return symbols;
}

std::string NameOf(unsigned long long address, const std::vector<Symbol>& symbols,
                   unsigned long long preferredBase) {
    const auto base = reinterpret_cast<unsigned long long>(GetModuleHandleW(nullptr));
    const unsigned long long inImage = address - base + preferredBase;
    auto after = std::upper_bound(symbols.begin(), symbols.end(), inImage,
                                  [](unsigned long long a, const Symbol& s) { return a < s.address; });
    if (after == symbols.begin() || address < base)
        return std::string();
    --after;
    if (inImage - after->address > 0x100000) // beyond the program's code
        return std::string();
    char offset[32];
    std::snprintf(offset, sizeof(offset), "+0x%llx", inImage - after->address);
    return after->name + offset;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    if (g_crashed.exchange(true))
        return EXCEPTION_EXECUTE_HANDLER;
    CreateDirectoryW(WideOf(g_folder).c_str(), nullptr);
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_s(&local, &now);
    std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    const std::string name = g_folder + g_program + "-crash-" + stamp;

    HANDLE dump = CreateFileW(WideOf(name + ".dmp").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (dump != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION exception = {};
        exception.ThreadId = GetCurrentThreadId();
        exception.ExceptionPointers = info;
        exception.ClientPointers = FALSE;
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), dump,
                          static_cast<MINIDUMP_TYPE>(MiniDumpWithThreadInfo |
                                                     MiniDumpWithIndirectlyReferencedMemory),
                          &exception, nullptr, nullptr);
        CloseHandle(dump);
    }

    std::ostringstream text;
    char line[160];
    std::snprintf(line, sizeof(line), "%s crashed: exception 0x%08lX at 0x%p in thread %lu\r\n",
                  g_program.c_str(), info->ExceptionRecord->ExceptionCode,
                  info->ExceptionRecord->ExceptionAddress, GetCurrentThreadId());
    text << line << "The stack (the program's own functions by name):\r\n";
    unsigned long long preferredBase = 0;
    const std::vector<Symbol> symbols = LoadSymbols(preferredBase);
    CONTEXT context = *info->ContextRecord;
    STACKFRAME64 frame = {};
    frame.AddrPC.Offset = context.Rip;
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrFrame.Offset = context.Rbp;
    frame.AddrFrame.Mode = AddrModeFlat;
    frame.AddrStack.Offset = context.Rsp;
    frame.AddrStack.Mode = AddrModeFlat;
    HANDLE process = GetCurrentProcess();
    SymInitialize(process, nullptr, TRUE);
    for (int depth = 0; depth < 64; ++depth) {
        if (!StackWalk64(IMAGE_FILE_MACHINE_AMD64, process, GetCurrentThread(), &frame, &context,
                         nullptr, SymFunctionTableAccess64, SymGetModuleBase64, nullptr) ||
            frame.AddrPC.Offset == 0)
            break;
        const std::string function = NameOf(frame.AddrPC.Offset, symbols, preferredBase);
        std::snprintf(line, sizeof(line), "  #%-2d 0x%016llx ", depth,
                      static_cast<unsigned long long>(frame.AddrPC.Offset));
        text << line << (function.empty() ? "(outside the program)" : function) << "\r\n";
    }
    SymCleanup(process);
    std::ofstream(WideOf(name + ".txt").c_str(), std::ios::binary) << text.str();
    // The next start tells the user where the report is.
    std::ofstream(WideOf(g_folder + "last-crash.txt").c_str(), std::ios::binary) << name + ".txt";
    g_lastReport = name + ".txt";
    std::fprintf(stderr, "%s crashed: a report was written to %s.txt (and %s.dmp)\n",
                 g_program.c_str(), name.c_str(), name.c_str());
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

void InstallCrashCapture(const std::string& folder, const std::string& program) {
    g_folder = folder;
    if (!g_folder.empty() && g_folder.back() != '\\' && g_folder.back() != '/')
        g_folder += '\\';
    g_program = program;
    SetUnhandledExceptionFilter(OnCrash);
}

std::string TakeCrashNotice(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/')
        base += '\\';
    const std::wstring marker = WideOf(base + "last-crash.txt");
    std::ifstream in(marker.c_str(), std::ios::binary);
    std::string report;
    std::getline(in, report);
    in.close();
    if (!report.empty())
        DeleteFileW(marker.c_str());
    return report;
}

std::string LastCrashReport() {
    return g_lastReport;
}
