// The search for the window that owns the library's dialogs, in a windowed and a console host.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "dialogs/OwnerWindowFinder.h"

namespace {

class TopLevelWindow {
public:
    TopLevelWindow()
        : window(CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                 300, 200, nullptr, nullptr, nullptr, nullptr))
    {
    }
    TopLevelWindow(const TopLevelWindow&) = delete;
    TopLevelWindow& operator=(const TopLevelWindow&) = delete;
    ~TopLevelWindow() { DestroyWindow(window); }
    HWND Get() const { return window; }

private:
    HWND window;
};

TEST(OwnerWindowFinderTest, TakesTheThreadsActiveWindow)
{
    TopLevelWindow window;
    ASSERT_NE(window.Get(), nullptr);
    SetActiveWindow(window.Get());
    ASSERT_EQ(GetActiveWindow(), window.Get());
    EXPECT_EQ(OwnerWindowFinder(), window.Get());
}

TEST(OwnerWindowFinderTest, FindsNothingWithoutAWindowOrAConsole)
{
    FreeConsole();
    std::thread([] {
        ASSERT_EQ(GetActiveWindow(), nullptr);
        EXPECT_EQ(OwnerWindowFinder(), nullptr);
    }).join();
}

// A console of the test's own, which Wine shows as a window of its console host process.
class ConsoleOwnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeConsole();
        ASSERT_TRUE(AllocConsole());
        ASSERT_TRUE(SetConsoleTitleA(kTitle));
    }
    void TearDown() override { FreeConsole(); }

    static constexpr char kTitle[] = "Mokacomm owner window test";
};

std::string ConsoleTitle()
{
    char title[1024] = "";
    GetConsoleTitleA(title, sizeof title);
    return title;
}

// Searches on a thread without an active window and collects the titles the console had
// meanwhile, as another thread of the host would see them.
HWND SearchWatchingTheTitle(std::set<std::string>& seen)
{
    std::atomic<bool> searching{true};
    std::thread watcher([&] {
        while (searching)
            seen.insert(ConsoleTitle());
    });
    HWND owner = nullptr;
    std::thread([&] { owner = OwnerWindowFinder(); }).join();
    searching = false;
    watcher.join();
    return owner;
}

TEST_F(ConsoleOwnerTest, FindsTheConsoleWindowByATemporaryTitleAndRestoresTheTitle)
{
    std::set<std::string> seen;
    const HWND owner = SearchWatchingTheTitle(seen);

    EXPECT_EQ(owner, GetConsoleWindow());
    EXPECT_NE(owner, nullptr);
    EXPECT_EQ(ConsoleTitle(), kTitle);

    seen.erase(kTitle);
    ASSERT_EQ(seen.size(), 1u) << "exactly one temporary title";
    const std::string temporary = *seen.begin();
    const std::size_t slash = temporary.find('/');
    ASSERT_NE(slash, std::string::npos) << temporary;
    const std::string ticks = temporary.substr(0, slash);
    EXPECT_EQ(temporary.substr(slash + 1), std::to_string(GetCurrentProcessId()));
    EXPECT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.find_first_not_of("-0123456789"), std::string::npos) << temporary;
    EXPECT_LE(temporary.size(), 23u);
}

// GetConsoleTitleA reads an empty title as it reads none, without a console: no search is made.
TEST_F(ConsoleOwnerTest, AConsoleWithAnEmptyTitleOwnsNothingAndKeepsItsTitle)
{
    ASSERT_TRUE(SetConsoleTitleA(""));
    ASSERT_EQ(ConsoleTitle(), "");
    std::set<std::string> seen;
    EXPECT_EQ(SearchWatchingTheTitle(seen), nullptr);
    EXPECT_EQ(ConsoleTitle(), "");
    seen.erase("");
    EXPECT_TRUE(seen.empty()) << "the title was changed to " << *seen.begin();
}

TEST_F(ConsoleOwnerTest, AnActiveWindowComesBeforeTheConsole)
{
    TopLevelWindow window;
    SetActiveWindow(window.Get());
    ASSERT_EQ(GetActiveWindow(), window.Get());
    EXPECT_EQ(OwnerWindowFinder(), window.Get());
    EXPECT_EQ(ConsoleTitle(), kTitle);
}

} // namespace
