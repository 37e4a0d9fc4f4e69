// Reading list items back in code page 932, including items that come back longer than they went
// in.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/ComboText.h"

namespace {

class ComboTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 932u) << "the double-byte cases need code page 932";
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 nullptr, nullptr);
        combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100,
                                parent, nullptr, nullptr, nullptr);
        ASSERT_NE(combo, nullptr);
    }
    void TearDown() override { DestroyWindow(parent); }

    void Add(const std::string& text)
    {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    HWND parent = nullptr;
    HWND combo = nullptr;
};

struct ItemCase {
    const char* name;
    std::string added;
    std::string read;
};

class ComboItemTextTest : public ComboTextTest, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(ComboItemTextTest, GivesTheWholeItem)
{
    Add("first");
    Add(GetParam().added);
    HeapText text;
    ASSERT_TRUE(ComboItemText(combo, 1, text));
    EXPECT_EQ(std::string(text.Get()), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ComboItemTextTest,
    ::testing::Values(
        ItemCase{"PortName", "COM3", "COM3"},
        ItemCase{"Empty", "", ""},
        ItemCase{"DoubleByte", "切断", "切断"},
        ItemCase{"LongestRegistryText", std::string(255, 'x'), std::string(255, 'x')},
        // A lone lead byte turns into "・" (0x81 0x45) on its way through UTF-16: 255 bytes
        // in, 256 out, one more than a buffer sized for what went in could hold.
        ItemCase{"EndsInALoneLeadByte", std::string(254, 'A') + '\x81',
                 std::string(254, 'A') + "\x81\x45"}),
    [](const ::testing::TestParamInfo<ItemCase>& info) { return std::string(info.param.name); });

TEST_F(ComboTextTest, NoItemGivesFalseAndLeavesTheText)
{
    Add("COM1");
    HeapText text(sizeof "unchanged");
    lstrcpyA(text.Get(), "unchanged");
    const char* const before = text.Get();
    EXPECT_FALSE(ComboItemText(combo, CB_ERR, text));
    EXPECT_FALSE(ComboItemText(combo, 1, text));
    EXPECT_EQ(text.Get(), before);
    EXPECT_STREQ(text.Get(), "unchanged");
}

} // namespace
