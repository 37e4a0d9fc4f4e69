// A file's name without its folders and extension, as the message boxes' caption.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/FileStem.h"

namespace {

struct StemCase {
    const char* name;
    const wchar_t* path;
    const wchar_t* stem;
};

class FileStemTest : public ::testing::TestWithParam<StemCase> {};

TEST_P(FileStemTest, DropsFoldersAndExtension)
{
    std::wstring path = GetParam().path;
    EXPECT_STREQ(FileStem(&path[0]), GetParam().stem);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileStemTest,
    ::testing::Values(
        StemCase{"Library", L"C:\\Program Files\\Host\\Mokacomm.dll", L"Mokacomm"},
        StemCase{"Program", L"Z:\\build\\bin\\dialog_tests.exe", L"dialog_tests"},
        StemCase{"ForwardSlashes", L"Z:/build/bin/Mokacomm.dll", L"Mokacomm"},
        StemCase{"DotInAFolder", L"C:\\v1.2\\Mokacomm", L"Mokacomm"},
        StemCase{"SeveralDots", L"C:\\lib\\Moka.comm.dll", L"Moka.comm"},
        StemCase{"DriveRelative", L"C:Mokacomm.dll", L"Mokacomm"},
        StemCase{"NoFolder", L"Mokacomm.dll", L"Mokacomm"},
        StemCase{"Empty", L"", L""},
        // Only the ASCII characters separate: their full-width look-alikes are letters of the
        // name, and so is a unit whose high byte is a backslash's (U+5C0F).
        StemCase{"FullWidthLookAlikes", L"C:\\bin\\Ｍｏｋａ＼ｃｏｍｍ：１．ｄｌｌ",
                 L"Ｍｏｋａ＼ｃｏｍｍ：１．ｄｌｌ"},
        StemCase{"UnitWithTheByteOfABackslash", L"C:\\\u5C0F\\\u5C0F.dll", L"\u5C0F"},
        // A surrogate pair stays whole.
        StemCase{"NameBeyondTheBasicPlane", L"C:\\bin\\\U00020BB7.dll", L"\U00020BB7"}),
    [](const ::testing::TestParamInfo<StemCase>& info) { return std::string(info.param.name); });

} // namespace
