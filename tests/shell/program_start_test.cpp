// The Windows program is a 64-bit GUI executable that starts, shows its window and ends cleanly.
#include "support/wintest.h"
#include "version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kProgram = ORVEL_PROGRAM_PATH;

std::wstring Wide(const char* text) {
    std::wstring wide(std::strlen(text) + 1, L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], int(wide.size()));
    wide.resize(length > 0 ? size_t(length) - 1 : 0);
    return wide;
}

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

// What Explorer's properties and an installer read from the file: the build's one version
// number, in the fixed part and in the texts, for the window and for dtucfg alike.
TEST(Program, BothExecutablesCarryTheBuildsVersion) {
    for (const char* path : {ORVEL_PROGRAM_PATH, ORVEL_DTUCFG_PATH}) {
        const std::wstring file = Wide(path);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
        ASSERT_GT(size, 0u) << path;
        std::vector<char> data(size);
        ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data())) << path;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), ORVEL_VERSION_MAJOR) << path;
        EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), ORVEL_VERSION_MINOR) << path;
        EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), ORVEL_VERSION_PATCH) << path;
        wchar_t* text = nullptr;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                                   reinterpret_cast<void**>(&text), &length))
            << path;
        EXPECT_EQ(std::wstring(text), Wide(ORVEL_VERSION_TEXT)) << path;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                                   reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(std::wstring(text), L"DTU configuration tool") << path;
    }
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
