// dtucfg: the configuration tool on the command line, for workbenches and production lines. It
// reads a device's configuration into a .cfg file, shows what writing a file would change, and
// writes it with every value verified by reading the device again. What it writes is decided by
// the window's own page logic on the English skin, through the same write flow, so the window
// and dtucfg send the same commands for the same device and file.
#include "shell/dtucfg_options.h"
#include "shell/dtucfg_json.h"
#include "shell/dtucfg_tool.h"

#ifdef _WIN32
#include "base/crash_report.h"
#include "base/wide.h"
#include "exchange/device_link.h"
#include "serial/serial_port.h"
#endif

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#else
#include <climits>
#include <unistd.h>
#endif



#ifdef _WIN32
namespace {

// For support: a device engine whose worker faults at once shows that a crash in any of the
// program's threads leaves its report.
int CrashOnPurpose() {
    struct Nobody : ILinkListener {
        void OnLinkResult(const LinkResult&) override {}
        void OnControlState(bool, int, bool) override {}
        void OnLinkLog(const std::string&) override {}
        void OnPortGone(const std::string&) override {}
    } nobody;
    CDeviceLink::FaultWorkersOnPurpose();
    CDeviceLink link(nobody);
    link.Start();
    ::Sleep(10000); // the fault ends the process long before
    return kFailed;
}

} // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The results are the same bytes on every system: lines end in LF alone.
    _setmode(_fileno(stdout), _O_BINARY);
    // No modal boxes on a console: a port's failed set-up step is the reason its opening
    // reports.
    CSerialPort::SetErrorBoxHook([](const char*) {});
    // The arguments as the user typed them, whatever the system's code page: UTF-8 inside.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i)
        texts.push_back(Utf8Of(wide[i]));
    LocalFree(wide);
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    argc = count;
    argv = pointers.data();
    {
        // A crash leaves a dump and a report: beside a portable program, else in the user's
        // local application data.
        const std::string folder = ProgramFolderOf(argv[0]);
        std::string crashes = folder + "\\crashes\\";
        if (GetFileAttributesW(WideOf(folder + "\\portable.ini").c_str()) == INVALID_FILE_ATTRIBUTES) {
            wchar_t local[32768] = {};
            if (GetEnvironmentVariableW(L"LOCALAPPDATA", local, 32767) > 0)
                crashes = Utf8Of(std::wstring(local)) + "\\DtuConfig\\crashes\\";
        }
        InstallCrashCapture(crashes, "dtucfg");
    }
    if (argc == 2 && std::string(argv[1]) == "crash-test")
        return CrashOnPurpose();
#endif
    // Called with the path of a JSON arguments file only: Ansible runs dtucfg as its module.
    if (argc == 2 && IsAnsibleArguments(argv[1]))
        return RunAnsibleModule(argv[1], argv[0]);
    Options options;
    if (!ParseOptions(argc, argv, options))
        return kBadArguments;
    const bool detailed = options.detailedExit;
    CTool tool(std::move(options), argv[0]);
    const int code = tool.Run();
    if (!detailed)
        return code;
    switch (code) {
    case kOk:
        return tool.ChangedAny() ? kChanged : kNothingToChange;
    case kBadArguments:
        return kDetailedBadArguments;
    case kNoPort:
        return kDetailedNoPort;
    default:
        return kDetailedFailed;
    }
}
