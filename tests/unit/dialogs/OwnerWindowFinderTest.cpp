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
        ASSERT_TRUE(SetConsoleTitleW(kTitle));
    }
    void TearDown() override { FreeConsole(); }

    static constexpr wchar_t kTitle[] = L"Mokacomm owner window test";
};

// The whole title, in UTF-16.
std::wstring ConsoleTitle()
{
    std::wstring title(1 << 16, L'\0');
    title.resize(GetConsoleTitleW(&title[0], static_cast<DWORD>(title.size())));
    return title;
}

// Searches on a thread without an active window and collects the titles the console had
// meanwhile, as another thread of the host would see them.
HWND SearchWatchingTheTitle(std::set<std::wstring>& seen)
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
    std::set<std::wstring> seen;
    const HWND owner = SearchWatchingTheTitle(seen);

    EXPECT_EQ(owner, GetConsoleWindow());
    EXPECT_NE(owner, nullptr);
    EXPECT_EQ(ConsoleTitle(), kTitle);

    seen.erase(kTitle);
    ASSERT_EQ(seen.size(), 1u) << "exactly one temporary title";
    const std::wstring temporary = *seen.begin();
    const std::size_t slash = temporary.find(L'/');
    ASSERT_NE(slash, std::wstring::npos);
    const std::wstring ticks = temporary.substr(0, slash);
    EXPECT_EQ(temporary.substr(slash + 1), std::to_wstring(GetCurrentProcessId()));
    EXPECT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.find_first_not_of(L"-0123456789"), std::wstring::npos);
    EXPECT_LE(temporary.size(), 23u);
}

// The host's title comes back as it was: also with characters that neither ANSI code page of the
// suite has (Hangul, a character beyond the basic plane), and far longer than a fixed buffer.
TEST_F(ConsoleOwnerTest, ATitleOfAnyCharactersAndLengthComesBackWhole)
{
    std::wstring longTitle;
    while (longTitle.size() < 5000)
        longTitle += L"title " + std::to_wstring(longTitle.size()) + L" ";
    for (const std::wstring& title : {std::wstring(L"한글 \U0001F50C ホスト"), longTitle}) {
        SCOPED_TRACE(title.size());
        ASSERT_TRUE(SetConsoleTitleW(title.c_str()));
        ASSERT_TRUE(ConsoleTitle() == title) << "the console does not keep such a title";
        std::set<std::wstring> seen;
        EXPECT_EQ(SearchWatchingTheTitle(seen), GetConsoleWindow());
        const std::wstring after = ConsoleTitle();
        EXPECT_EQ(after.size(), title.size());
        EXPECT_TRUE(after == title) << "the title came back changed";
    }
}

// GetConsoleTitleW reads an empty title as it reads none, without a console: no search is made.
TEST_F(ConsoleOwnerTest, AConsoleWithAnEmptyTitleOwnsNothingAndKeepsItsTitle)
{
    ASSERT_TRUE(SetConsoleTitleW(L""));
    ASSERT_EQ(ConsoleTitle(), L"");
    std::set<std::wstring> seen;
    EXPECT_EQ(SearchWatchingTheTitle(seen), nullptr);
    EXPECT_EQ(ConsoleTitle(), L"");
    seen.erase(L"");
    EXPECT_TRUE(seen.empty()) << "the title was changed";
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
