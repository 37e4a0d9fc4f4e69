// Linked into every GUI test program: without a display driver Wine creates no window at all,
// and each test would only fail after waiting out its bounds. Wine binds a prefix's desktop to
// the display that is set when its wine server starts, so a display started later is not used.
// The program must also run in the ANSI code page that its locale gives, or a second locale's run
// would only repeat the first.
#include <gtest/gtest.h>

#include <cstdio>

#include "CodePage.h"
#include "base/Win32.h"

namespace {

class DisplayCheck : public ::testing::Environment {
public:
    void SetUp() override
    {
        const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr)
            << "Wine cannot create a window: set DISPLAY before the wine server starts";
        DestroyWindow(window);

        const UINT expected = ExpectedAnsiCodePage();
        ASSERT_NE(expected, 0u) << "MOKACOMM_LOCALE names no locale that Windows knows";
        ASSERT_EQ(GetACP(), expected) << "the program does not run in the locale it was given";
        std::printf("ANSI code page %u\n", GetACP());
    }
};

const ::testing::Environment* const displayCheck =
    ::testing::AddGlobalTestEnvironment(new DisplayCheck);

} // namespace
