// What a crash leaves behind for support: an unhandled exception in any thread of the process
// writes a minidump and a text report (the exception, the thread, and the stack named by the
// program's own functions from the symbol map built beside the executable) into a folder, and
// the next start is told where. Windows only.
#pragma once

#include <string>

// Installs the capture for the whole process; `program` names the files ("DtuConfig",
// "dtucfg"). The folder is made when a crash happens.
void InstallCrashCapture(const std::string& folder, const std::string& program);
// The text report an earlier run left after a crash that nobody was told of yet, or "" (the
// notice is given once).
std::string TakeCrashNotice(const std::string& folder);
// The report written by the last crash of this process (for dtucfg, which prints it).
std::string LastCrashReport();
