// Reading list items back in UTF-16, whatever their length.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/ComboText.h"

namespace {

class ComboTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100,
                                parent, nullptr, nullptr, nullptr);
        ASSERT_NE(combo, nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }

    void Add(const std::wstring& text)
    {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    HWND parent = nullptr;
    HWND combo = nullptr;
};

struct ItemCase {
    const char* name;
    std::wstring text;
};

class ComboItemTextTest : public ComboTextTest, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(ComboItemTextTest, GivesTheWholeItem)
{
    Add(L"first");
    Add(GetParam().text);
    HeapText<wchar_t> text;
    ASSERT_TRUE(ComboItemText(combo, 1, text));
    EXPECT_EQ(std::wstring(text.Get()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ComboItemTextTest,
    ::testing::Values(ItemCase{"PortName", L"COM3"}, ItemCase{"Empty", L""},
                      ItemCase{"Japanese", L"切断"},
                      ItemCase{"LongerThanARegistryText", std::wstring(300, L'x')}),
    [](const ::testing::TestParamInfo<ItemCase>& info) { return std::string(info.param.name); });

TEST_F(ComboTextTest, NoItemGivesFalseAndLeavesTheText)
{
    Add(L"COM1");
    HeapText<wchar_t> text(sizeof "unchanged");
    lstrcpyW(text.Get(), L"unchanged");
    const wchar_t* const before = text.Get();
    EXPECT_FALSE(ComboItemText(combo, CB_ERR, text));
    EXPECT_FALSE(ComboItemText(combo, 1, text));
    EXPECT_EQ(text.Get(), before);
    EXPECT_STREQ(text.Get(), L"unchanged");
}

} // namespace
