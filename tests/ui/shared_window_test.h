// A test fixture whose tests all use one toolkit window, opened at the given place and size
// for the whole suite: closing a shown top-level window costs Wine seconds.
#pragma once

#include <gtest/gtest.h>

#include "tests/ui/text_test_window.h"

namespace texttest {

template <int X, int Y, int Width, int Height> class CSharedWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared = new CTextTestWindow;
        shared->Open(X, Y, Width, Height);
    }
    static void TearDownTestSuite() {
        shared->Close();
        delete shared;
        shared = nullptr;
    }

    static CTextTestWindow* shared;
};

template <int X, int Y, int Width, int Height>
CTextTestWindow* CSharedWindowTest<X, Y, Width, Height>::shared = nullptr;

} // namespace texttest
