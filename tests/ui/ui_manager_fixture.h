// The paint manager in a real window under Wine: the fixture the manager tests share, a window
// with a root container holding probes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "support/wintest.h"
#include "ui/UIRender.h"
#include "ui_image_files.h"
#include "ui_test_window.h"

using namespace uitest;

namespace managertest {

// A window with a root container holding probes; the client area is 400 x 300.
class ManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The real pointer is parked in a corner, away from the window: a test that moved it
        // must not give the next one hover events of its own.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        ASSERT_TRUE(win.Open(400, 300));
        root = new CContainerUI;
        root->SetName("root");
        root->SetBkColor(0xFFFFFFFF);
        win.pm.AddNotifier(&rec);
    }
    void TearDown() override { win.Abandon(); }

    // A probe placed by "pos" inside the root (floating, so the plain container keeps it).
    CProbeUI* AddProbe(const std::string& name, RECT pos) {
        auto* probe = new CProbeUI;
        probe->SetName(name);
        probe->SetFloat(true);
        probe->SetAttribute("pos", std::to_string(pos.left) + "," + std::to_string(pos.top) + "," +
                                       std::to_string(pos.right) + "," +
                                       std::to_string(pos.bottom));
        root->Add(probe);
        return probe;
    }

    // Attaches the tree, shows the window and waits for the first layout.
    void Show() {
        win.pm.AttachDialog(root);
        win.ShowWindow(true, true);
        ::UpdateWindow(win.GetHWND());
        ASSERT_TRUE(Pump([&] { return rec.Count("windowinit:root") == 1; }));
        PumpFor(50);
    }

    void Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        ::SendMessageA(win.GetHWND(), msg, wParam, lParam);
    }

    CTestWindow win;
    CContainerUI* root = nullptr;
    CRecorder rec;
};

inline std::string WriteScratch(const std::string& name, const std::string& bytes) {
    std::string path = wintest::ScratchDir() + "\\" + name;
    wintest::WriteFileText(path, bytes);
    return path;
}

// Paints a control into a fresh 32-bit bitmap and returns the pixel at (x, y) as 0xRRGGBB.
inline unsigned PaintedPixel(CPaintManagerUI& /*pm*/, CControlUI& control, int x, int y) {
    RECT rc = control.GetPos();
    HBITMAP bmp = control.PaintToBitmap(rc);
    BITMAP bm = {};
    ::GetObject(bmp, sizeof(bm), &bm);
    const auto* bits = static_cast<const unsigned*>(bm.bmBits);
    unsigned value = bits[size_t(y) * bm.bmWidth + x] & 0xFFFFFF;
    ::DeleteObject(bmp);
    return value;
}

} // namespace managertest
