// The harness gives every Windows test a virtual display: a real window appears and paints.
#include "support/wintest.h"

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK RedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH red = CreateSolidBrush(RGB(220, 30, 40));
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, red);
        DeleteObject(red);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(VirtualDisplay, AWindowIsCreatedShownAndPainted) {
    ASSERT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RedProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DisplayTest";
    ASSERT_TRUE(RegisterClassA(&wc));
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "DisplayTest", "display", WS_POPUP, 50, 60, 200,
                                  120, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    EXPECT_TRUE(IsWindowVisible(window));

    // Wait until the X server shows what the window painted.
    wintest::Capture cap;
    bool red = wintest::PumpUntil(
        [&] {
            cap = wintest::CaptureWindow(window);
            return cap.width == 200 && cap.At(100, 60) == 0xDC1E28;
        },
        5000);
    wintest::SaveBmp(cap, wintest::ArtifactsDir() + "\\harness-display.bmp");
    EXPECT_TRUE(red) << std::hex << (cap.width ? cap.At(100, 60) : 0);
    DestroyWindow(window);
}

} // namespace
