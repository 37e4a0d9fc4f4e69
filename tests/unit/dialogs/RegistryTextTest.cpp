// Registry data cut into item texts: at the first NUL, and never past the buffer's last byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/RegistryText.h"

namespace {

struct CutCase {
    const char* name;
    std::string data;      // the bytes in the buffer, NULs included
    std::size_t capacity;  // the buffer's size
    std::size_t length;    // the length the registry reported
    std::string expected;
};

class CutRegistryTextTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutRegistryTextTest, EndsTheTextWithinTheBuffer)
{
    const CutCase& c = GetParam();
    // One guard byte past the buffer, which the cut must never touch.
    std::vector<char> buffer(c.capacity + 1, '#');
    std::copy(c.data.begin(), c.data.begin() + std::min(c.data.size(), c.capacity), buffer.begin());

    const std::size_t cut = CutRegistryText(buffer.data(), c.capacity, c.length);

    EXPECT_EQ(cut, c.expected.size());
    EXPECT_EQ(std::string(buffer.data(), cut), c.expected);
    EXPECT_EQ(buffer[cut], '\0');
    EXPECT_EQ(buffer[c.capacity], '#');
}

const std::string k255(255, 'x');
const std::string k300(300, 'y');

INSTANTIATE_TEST_SUITE_P(
    Data, CutRegistryTextTest,
    ::testing::Values(
        CutCase{"TerminatedString", std::string("COM3\0", 5), 256, 5, "COM3"},
        CutCase{"StringWithoutNul", "COM3", 256, 4, "COM3"},
        CutCase{"StaleBytesAfterTheReportedLength", "COM3JUNK", 256, 4, "COM3"},
        CutCase{"NulInsideBinaryData", std::string("COM5\0junk", 9), 256, 9, "COM5"},
        CutCase{"LeadingNul", std::string("\0COM1", 5), 256, 5, ""},
        CutCase{"NoData", "", 256, 0, ""},
        CutCase{"FullBufferWithoutNul", k255, 256, 255, k255},
        CutCase{"LengthBeyondTheBuffer", k300, 256, 300, k300.substr(0, 255)},
        CutCase{"LengthBeyondASmallBuffer", "COM12", 4, 5, "COM"},
        CutCase{"OneByteBuffer", "COM1", 1, 4, ""}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

// UTF-16 is cut by its units, and in the same way.
TEST(CutRegistryTextTest, CutsUtf16AtItsFirstNulAndWithinTheBuffer)
{
    wchar_t terminated[] = L"COM3\0junk";
    EXPECT_EQ(CutRegistryText(terminated, 16, 9), 4u);
    EXPECT_STREQ(terminated, L"COM3");

    wchar_t full[] = {L'C', L'O', L'M', L'1', L'2', L'#'};
    EXPECT_EQ(CutRegistryText(full, 5, 5), 4u);
    EXPECT_STREQ(full, L"COM1");
    EXPECT_EQ(full[5], L'#');
}

TEST(CutRegistryTextTest, LeavesAnEmptyBufferAlone)
{
    char guard = '#';
    EXPECT_EQ(CutRegistryText(&guard, 0, 5), 0u);
    EXPECT_EQ(guard, '#');
}

} // namespace
