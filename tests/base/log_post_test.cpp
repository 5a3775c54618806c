// PostLogText hands texts to the window that owns the log, from any thread.
#include "base/log_post.h"
#include "base/messages.h"
#include "support/wintest.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::vector<std::string> g_received;

LRESULT CALLBACK LogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LOG_TEXT) {
        const char* text = reinterpret_cast<const char*>(wParam);
        g_received.emplace_back(text, static_cast<size_t>(lParam));
        EXPECT_EQ(text[lParam], '\0');
        FreeLogText(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class LogPost : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = LogProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LogPostTest";
        RegisterClassA(&wc);
        window_ = CreateWindowA("LogPostTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        SetLogWindow(window_);
        g_received.clear();
    }
    void TearDown() override {
        SetLogWindow(nullptr);
        DestroyWindow(window_);
    }
    HWND window_ = nullptr;
};

TEST_F(LogPost, TextsArriveInOrderFromAnyThread) {
    PostLogText("send:AT+SHOW\r\n");
    std::thread worker([] {
        for (int i = 0; i < 100; ++i)
            PostLogText("line " + std::to_string(i) + "\r\n");
    });
    worker.join();
    ASSERT_TRUE(wintest::PumpUntil([] { return g_received.size() == 101; }));
    EXPECT_EQ(g_received[0], "send:AT+SHOW\r\n");
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(g_received[i + 1], "line " + std::to_string(i) + "\r\n");
}

TEST_F(LogPost, EmptyAndVeryLongTexts) {
    PostLogText("");
    std::string big(1 << 20, 'A');
    big[12345] = '\0'; // bytes pass as they are, zeros included, with their length
    PostLogText(big);
    ASSERT_TRUE(wintest::PumpUntil([] { return g_received.size() == 2; }));
    EXPECT_EQ(g_received[0], "");
    EXPECT_EQ(g_received[1], big);
}

TEST_F(LogPost, NothingIsPostedWithoutALogWindow) {
    SetLogWindow(nullptr);
    PostLogText("lost");
    HWND gone = CreateWindowA("LogPostTest", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(gone);
    SetLogWindow(gone); // a window that no longer exists: the post fails, the buffer is freed
    PostLogText("also lost");
    wintest::PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(g_received.empty());
}

} // namespace
