// The message boxes' caption: the library file's name without its folders and extension.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/FailureMessage.h"

namespace {

struct StemCase {
    const char* name;
    const char* path;
    const char* stem;
};

class FileStemTest : public ::testing::TestWithParam<StemCase> {};

TEST_P(FileStemTest, DropsFoldersAndExtension)
{
    ASSERT_EQ(GetACP(), 932u) << "the cases with double-byte characters need code page 932";
    std::string path = GetParam().path;
    EXPECT_STREQ(FileStem(&path[0]), GetParam().stem);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileStemTest,
    ::testing::Values(
        StemCase{"Library", "C:\\Program Files\\Host\\Mokacomm.dll", "Mokacomm"},
        StemCase{"Program", "Z:\\build\\bin\\dialog_tests.exe", "dialog_tests"},
        StemCase{"ForwardSlashes", "Z:/build/bin/Mokacomm.dll", "Mokacomm"},
        StemCase{"DotInAFolder", "C:\\v1.2\\Mokacomm", "Mokacomm"},
        StemCase{"SeveralDots", "C:\\lib\\Moka.comm.dll", "Moka.comm"},
        StemCase{"DriveRelative", "C:Mokacomm.dll", "Mokacomm"},
        StemCase{"NoFolder", "Mokacomm.dll", "Mokacomm"},
        StemCase{"Empty", "", ""},
        // 表 is 0x95 0x5C and ソ is 0x83 0x5C: their second byte is the backslash's.
        StemCase{"FolderEndingInADoubleByteCharacter", "C:\\表\\Mokacomm.dll", "Mokacomm"},
        StemCase{"NameWithADoubleByteBackslash", "C:\\bin\\ソフト.dll", "ソフト"},
        StemCase{"NameEndingInADoubleByteBackslash", "C:\\bin\\表.dll", "表"}),
    [](const ::testing::TestParamInfo<StemCase>& info) { return std::string(info.param.name); });

} // namespace
