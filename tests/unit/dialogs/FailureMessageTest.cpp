// The message boxes' caption: the library file's name without its folders and extension.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/FailureMessage.h"

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
        // In code page 932 the second byte of 表 and of ソ is the backslash's; and the ANSI code
        // page of most machines has neither.
        StemCase{"FolderEndingInADoubleByteCharacter", L"C:\\表\\Mokacomm.dll", L"Mokacomm"},
        StemCase{"NameWithADoubleByteBackslash", L"C:\\bin\\ソフト.dll", L"ソフト"},
        StemCase{"NameEndingInADoubleByteBackslash", L"C:\\bin\\表.dll", L"表"}),
    [](const ::testing::TestParamInfo<StemCase>& info) { return std::string(info.param.name); });

} // namespace
