// The four lists of the settings dialog: values, texts and their order, and the lookup that
// chooses the selected entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/SettingChoices.h"

namespace {

struct Entry {
    std::uint32_t value;
    std::wstring text;
};

std::vector<Entry> Entries(const SettingChoice* table)
{
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < ChoiceCount(table); ++i)
        entries.push_back({table[i].value, table[i].text});
    return entries;
}

bool operator==(const Entry& a, const Entry& b)
{
    return a.value == b.value && a.text == b.text;
}

void PrintTo(const Entry& entry, std::ostream* out)
{
    *out << entry.value << " " << ::testing::PrintToString(entry.text);
}

struct TableCase {
    const char* name;
    const SettingChoice* table;
    std::size_t declaredSize;
    std::vector<Entry> expected;
};

class ChoiceTableTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(ChoiceTableTest, HoldsTheEntriesInOrderAndEndsWithANullText)
{
    const TableCase& c = GetParam();
    EXPECT_EQ(Entries(c.table), c.expected);
    ASSERT_EQ(ChoiceCount(c.table) + 1, c.declaredSize);
    EXPECT_EQ(c.table[ChoiceCount(c.table)].text, nullptr);
    EXPECT_EQ(c.table[ChoiceCount(c.table)].value, 0u);
}

// So that selecting an item by the beginning of its text finds that item only.
TEST_P(ChoiceTableTest, NoTextOfATableBeginsWithAnother)
{
    const SettingChoice* table = GetParam().table;
    for (std::size_t i = 0; i < ChoiceCount(table); ++i) {
        for (std::size_t j = 0; j < ChoiceCount(table); ++j) {
            if (i != j) {
                EXPECT_NE(std::wstring(table[j].text).rfind(table[i].text, 0), 0u)
                    << i << " begins " << j;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllLists, ChoiceTableTest,
    ::testing::Values(
        TableCase{"BaudRate", baudRateChoices, sizeof baudRateChoices / sizeof *baudRateChoices,
                  {{110, L"   110"},   {300, L"   300"},    {600, L"   600"},
                   {1200, L"  1200"},  {2400, L"  2400"},   {4800, L"  4800"},
                   {9600, L"  9600"},  {14400, L" 14400"},  {19200, L" 19200"},
                   {38400, L" 38400"}, {56000, L" 56000"},  {57600, L" 57600"},
                   {115200, L"115200"}, {128000, L"128000"}, {256000, L"256000"}}},
        TableCase{"ByteSize", byteSizeChoices, sizeof byteSizeChoices / sizeof *byteSizeChoices,
                  {{8, L"8"}, {7, L"7"}, {6, L"6"}, {5, L"5"}, {4, L"4"}}},
        TableCase{"StopBits", stopBitsChoices, sizeof stopBitsChoices / sizeof *stopBitsChoices,
                  {{0, L"1  "}, {1, L"1.5"}, {2, L"2  "}}},
        TableCase{"Parity", parityChoices, sizeof parityChoices / sizeof *parityChoices,
                  {{0, L"なし    "},
                   {2, L"偶数    "},
                   {1, L"奇数    "},
                   {3, L"マーク  "},
                   {4, L"スペース"}}}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

TEST(ParityChoicesTest, TextsAreUtf16)
{
    // "なし" and "スペース" spelled out by code unit, independent of how the compiler converts.
    EXPECT_EQ(std::wstring(parityChoices[0].text), std::wstring(L"\x306A\x3057    "));
    EXPECT_EQ(std::wstring(parityChoices[4].text), std::wstring(L"\x30B9\x30DA\x30FC\x30B9"));
}

struct IndexCase {
    const char* name;
    const SettingChoice* table;
    std::uint32_t value;
    std::size_t index;
};

class ChoiceIndexTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(ChoiceIndexTest, FindsTheEntryOrFallsBackToTheFirst)
{
    EXPECT_EQ(ChoiceIndex(GetParam().table, GetParam().value), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, ChoiceIndexTest,
    ::testing::Values(IndexCase{"FirstBaudRate", baudRateChoices, 110, 0},
                      IndexCase{"DefaultBaudRate", baudRateChoices, 19200, 8},
                      IndexCase{"LastBaudRate", baudRateChoices, 256000, 14},
                      IndexCase{"UnlistedBaudRate", baudRateChoices, 12345, 0},
                      IndexCase{"ZeroBaudRateIsNotTheTerminator", baudRateChoices, 0, 0},
                      IndexCase{"ByteSizeFour", byteSizeChoices, 4, 4},
                      IndexCase{"UnlistedByteSize", byteSizeChoices, 3, 0},
                      IndexCase{"OneAndAHalfStopBits", stopBitsChoices, 1, 1},
                      IndexCase{"TwoStopBits", stopBitsChoices, 2, 2},
                      IndexCase{"UnlistedStopBits", stopBitsChoices, 7, 0},
                      IndexCase{"EvenParityIsSecond", parityChoices, 2, 1},
                      IndexCase{"OddParityIsThird", parityChoices, 1, 2},
                      IndexCase{"SpaceParity", parityChoices, 4, 4},
                      IndexCase{"UnlistedParity", parityChoices, 9, 0}),
    [](const ::testing::TestParamInfo<IndexCase>& info) { return std::string(info.param.name); });

} // namespace
