// The Windows program is a 64-bit GUI executable that starts, shows its window and ends cleanly.
#include "support/wintest.h"

#include <gtest/gtest.h>

namespace {

const char* const kProgram = ORVEL_PROGRAM_PATH;

TEST(Program, IsAPe32PlusGuiExecutable) {
    std::string image = wintest::ReadFileText(kProgram);
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(size_t(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), image.size());
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    EXPECT_EQ(nt->Signature, DWORD(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(Program, StartsShowsItsWindowAndExitsCleanly) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::string commandLine = std::string("\"") + kProgram + "\"";
    ASSERT_TRUE(CreateProcessA(kProgram, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << GetLastError();

    HWND frame = nullptr;
    bool shown = wintest::PumpUntil(
        [&] {
            frame = FindWindowA(nullptr, "DTU");
            return frame && IsWindowVisible(frame);
        },
        20000);
    ASSERT_TRUE(shown);
    DWORD owner = 0;
    GetWindowThreadProcessId(frame, &owner);
    EXPECT_EQ(owner, process.dwProcessId);

    PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
