// Helpers shared by the Windows tests that run under Wine through tests/harness/winrun.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "file_text.h"

namespace wintest {

inline std::string Env(const char* name, const char* fallback = "") {
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

// The run's private scratch folder as Windows sees it (no trailing slash).
inline std::string ScratchDir() {
    std::string dir = Env("ORVEL_TEST_DIR_WIN");
    if (dir.empty()) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        dir = temp;
        if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/'))
            dir.pop_back();
    }
    return dir;
}

inline std::string ArtifactsDir() {
    std::string dir = Env("ORVEL_ARTIFACTS_WIN");
    return dir.empty() ? ScratchDir() : dir;
}

inline void WriteFileText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

using testsupport::ReadFileText;

// Dispatches this thread's messages until done() holds or the time is up. `take`, when given,
// sees each message first and returns true for those it has handled itself. Between messages
// the thread sleeps at most wakeMs, so that done() is looked at again (a loop that waits only
// for the time to pass can sleep until the next message, as a program's own loop does).
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000,
                      const std::function<bool(const MSG&)>& take = {}, int wakeMs = 10) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (take && take(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(std::min<long long>(wakeMs, left + 1)),
                                  QS_ALLINPUT);
    }
}

// A 32-bit top-down copy of a screen rectangle, as rows of BGRA pixels.
struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels; // 0x00RRGGBB
    unsigned At(int x, int y) const { return pixels[size_t(y) * width + x] & 0xFFFFFF; }
};

inline Capture CaptureScreen(const RECT& r) {
    Capture cap;
    cap.width = r.right - r.left;
    cap.height = r.bottom - r.top;
    if (cap.width <= 0 || cap.height <= 0)
        return cap;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cap.width;
    info.bmiHeader.biHeight = -cap.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, cap.width, cap.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const unsigned* p = static_cast<const unsigned*>(bits);
    cap.pixels.assign(p, p + size_t(cap.width) * cap.height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return cap;
}

inline Capture CaptureWindow(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return CaptureScreen(r);
}

// Writes a capture as a 32-bit BMP file (the harness's artefact folder keeps them).
inline bool SaveBmp(const Capture& cap, const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    DWORD imageSize = DWORD(cap.pixels.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof(info);
    info.biWidth = cap.width;
    info.biHeight = -cap.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biSizeImage = imageSize;
    std::fwrite(&file, sizeof(file), 1, f);
    std::fwrite(&info, sizeof(info), 1, f);
    // Screen captures carry no alpha: write the pixels opaque so that viewers show them.
    std::vector<unsigned> opaque(cap.pixels);
    for (unsigned& pixel : opaque)
        pixel |= 0xFF000000u;
    std::fwrite(opaque.data(), 4, opaque.size(), f);
    std::fclose(f);
    return true;
}

} // namespace wintest
