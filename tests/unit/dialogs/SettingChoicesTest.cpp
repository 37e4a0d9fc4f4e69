// The four lists of the settings dialog: values, texts and their order, and the lookup that
// chooses the selected entry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/SettingChoices.h"

namespace {

struct Entry {
    std::uint32_t value;
    std::string text;
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
    *out << entry.value << " \"" << entry.text << "\"";
}

struct TableCase {
    const char* name;
    const SettingChoice* table;
    std::size_t declaredSize;
    std::size_t textBytes;
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

TEST_P(ChoiceTableTest, TextsOfOneTableShareOneLength)
{
    const TableCase& c = GetParam();
    for (std::size_t i = 0; i < ChoiceCount(c.table); ++i)
        EXPECT_EQ(std::strlen(c.table[i].text), c.textBytes) << c.table[i].text;
}

INSTANTIATE_TEST_SUITE_P(
    AllLists, ChoiceTableTest,
    ::testing::Values(
        TableCase{"BaudRate", baudRateChoices, sizeof baudRateChoices / sizeof *baudRateChoices, 6,
                  {{110, "   110"},    {300, "   300"},    {600, "   600"},    {1200, "  1200"},
                   {2400, "  2400"},   {4800, "  4800"},   {9600, "  9600"},   {14400, " 14400"},
                   {19200, " 19200"},  {38400, " 38400"},  {56000, " 56000"},  {57600, " 57600"},
                   {115200, "115200"}, {128000, "128000"}, {256000, "256000"}}},
        TableCase{"ByteSize", byteSizeChoices, sizeof byteSizeChoices / sizeof *byteSizeChoices, 1,
                  {{8, "8"}, {7, "7"}, {6, "6"}, {5, "5"}, {4, "4"}}},
        TableCase{"StopBits", stopBitsChoices, sizeof stopBitsChoices / sizeof *stopBitsChoices, 3,
                  {{0, "1  "}, {1, "1.5"}, {2, "2  "}}},
        TableCase{"Parity", parityChoices, sizeof parityChoices / sizeof *parityChoices, 8,
                  {{0, "なし    "},
                   {2, "偶数    "},
                   {1, "奇数    "},
                   {3, "マーク  "},
                   {4, "スペース"}}}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

TEST(ParityChoicesTest, TextsAreCodePage932)
{
    // "なし" and "スペース" spelled out byte by byte, independent of how the compiler converts.
    EXPECT_EQ(std::string(parityChoices[0].text), std::string("\x82\xC8\x82\xB5    "));
    EXPECT_EQ(std::string(parityChoices[4].text), std::string("\x83X\x83y\x81[\x83X"));
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
