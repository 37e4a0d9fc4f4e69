// The library's own settings dialog, shown by SettingDlg while no port is open, through the DLL.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "Mokacomm.h"

namespace {

using Items = std::vector<std::string>;

constexpr char kCaption[] = "通信設定";
constexpr int kBaudRate = 6000;
constexpr int kByteSize = 6001;
constexpr int kStopBits = 6002;
constexpr int kParity = 6003;

bool SameSettings(const DCB& a, const DCB& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class CommSettingsDialogTest : public ::testing::Test {
protected:
    void Show()
    {
        before = port.GetDCB();
        operation = std::make_unique<gui::ModalOperation>([this] { port.SettingDlg(); });
        dialog = gui::WaitForDialog(kCaption);
        ASSERT_NE(dialog, nullptr) << "no settings dialog";
    }

    HWND List(int id) { return GetDlgItem(dialog, id); }

    // Ends the dialog with `button`; the operation must then return by itself, which it could not
    // while a message box waited for the user.
    void PressAndFinish(int button)
    {
        gui::Press(dialog, button);
        ASSERT_TRUE(operation->Finished()) << "the operation did not return by itself";
    }

    void Store(const std::function<void(DCB&)>& change)
    {
        DCB settings = port.GetDCB();
        change(settings);
        ASSERT_EQ(port.SetDCB(settings), CCommLib::ERR_NOT_OPEN);
    }

    CCommLib port;
    DCB before{};
    std::unique_ptr<gui::ModalOperation> operation;
    HWND dialog = nullptr;
};

TEST_F(CommSettingsDialogTest, ListsTheFourTablesAndSelectsTheDefaults)
{
    Show();
    EXPECT_EQ(gui::ComboItems(List(kBaudRate)),
              (Items{"   110", "   300", "   600", "  1200", "  2400", "  4800", "  9600", " 14400",
                     " 19200", " 38400", " 56000", " 57600", "115200", "128000", "256000"}));
    EXPECT_EQ(gui::ComboItems(List(kByteSize)), (Items{"8", "7", "6", "5", "4"}));
    EXPECT_EQ(gui::ComboItems(List(kStopBits)), (Items{"1  ", "1.5", "2  "}));
    EXPECT_EQ(gui::ComboItems(List(kParity)),
              (Items{"なし    ", "偶数    ", "奇数    ", "マーク  ", "スペース"}));

    EXPECT_EQ(gui::ComboSelection(List(kBaudRate)), std::string(" 19200"));
    EXPECT_EQ(gui::ComboSelection(List(kByteSize)), std::string("8"));
    EXPECT_EQ(gui::ComboSelection(List(kStopBits)), std::string("2  "));
    EXPECT_EQ(gui::ComboSelection(List(kParity)), std::string("なし    "));
    PressAndFinish(IDCANCEL);
}

TEST_F(CommSettingsDialogTest, OkWithoutAChangeKeepsEveryField)
{
    Store([](DCB& dcb) {
        dcb.BaudRate = 57600;
        dcb.ByteSize = 7;
        dcb.StopBits = ONE5STOPBITS;
        dcb.Parity = MARKPARITY;
        dcb.fParity = 1;
        dcb.fOutxCtsFlow = 1;
        dcb.XonLim = 77;
        dcb.EvtChar = 0x42;
    });
    Show();
    PressAndFinish(IDOK);
    EXPECT_TRUE(SameSettings(port.GetDCB(), before));
}

struct ChoiceCase {
    const char* name;
    int list;
    const char* item;
    std::function<void(DCB&)> expect;
};

class ChoiceTest : public CommSettingsDialogTest,
                   public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChoiceTest, OkStoresTheChosenValueAndNothingElse)
{
    Show();
    ASSERT_TRUE(gui::SelectItem(List(GetParam().list), GetParam().item));
    PressAndFinish(IDOK);
    DCB expected = before;
    GetParam().expect(expected);
    EXPECT_TRUE(SameSettings(port.GetDCB(), expected));
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ChoiceTest,
    ::testing::Values(
        ChoiceCase{"Speed110", kBaudRate, "   110", [](DCB& d) { d.BaudRate = 110; }},
        ChoiceCase{"Speed9600", kBaudRate, "  9600", [](DCB& d) { d.BaudRate = 9600; }},
        ChoiceCase{"Speed256000", kBaudRate, "256000", [](DCB& d) { d.BaudRate = 256000; }},
        ChoiceCase{"FiveDataBits", kByteSize, "5", [](DCB& d) { d.ByteSize = 5; }},
        ChoiceCase{"FourDataBits", kByteSize, "4", [](DCB& d) { d.ByteSize = 4; }},
        ChoiceCase{"OneStopBit", kStopBits, "1  ", [](DCB& d) { d.StopBits = ONESTOPBIT; }},
        ChoiceCase{"OneAndAHalfStopBits", kStopBits, "1.5",
                   [](DCB& d) { d.StopBits = ONE5STOPBITS; }},
        ChoiceCase{"EvenParity", kParity, "偶数    ", [](DCB& d) { d.Parity = EVENPARITY; }},
        ChoiceCase{"OddParity", kParity, "奇数    ", [](DCB& d) { d.Parity = ODDPARITY; }},
        ChoiceCase{"MarkParity", kParity, "マーク  ", [](DCB& d) { d.Parity = MARKPARITY; }},
        ChoiceCase{"SpaceParity", kParity, "スペース", [](DCB& d) { d.Parity = SPACEPARITY; }}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

struct UnlistedCase {
    const char* name;
    std::function<void(DCB&)> store;
    int list;
    const char* shown;
    std::function<void(DCB&)> expect;
};

class UnlistedValueTest : public CommSettingsDialogTest,
                          public ::testing::WithParamInterface<UnlistedCase> {};

TEST_P(UnlistedValueTest, ShowsTheFirstEntryAndOkStoresIt)
{
    Store(GetParam().store);
    Show();
    EXPECT_EQ(gui::ComboSelection(List(GetParam().list)), std::string(GetParam().shown));
    PressAndFinish(IDOK);
    DCB expected = before;
    GetParam().expect(expected);
    EXPECT_TRUE(SameSettings(port.GetDCB(), expected));
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnlistedValueTest,
    ::testing::Values(
        UnlistedCase{"Speed", [](DCB& d) { d.BaudRate = 12345; }, kBaudRate, "   110",
                     [](DCB& d) { d.BaudRate = 110; }},
        UnlistedCase{"DataBits", [](DCB& d) { d.ByteSize = 3; }, kByteSize, "8",
                     [](DCB& d) { d.ByteSize = 8; }},
        UnlistedCase{"StopBits", [](DCB& d) { d.StopBits = 7; }, kStopBits, "1  ",
                     [](DCB& d) { d.StopBits = ONESTOPBIT; }},
        UnlistedCase{"Parity", [](DCB& d) { d.Parity = 9; }, kParity, "なし    ",
                     [](DCB& d) { d.Parity = NOPARITY; }}),
    [](const ::testing::TestParamInfo<UnlistedCase>& info) { return std::string(info.param.name); });

struct EndCase {
    const char* name;
    std::function<void(HWND)> end;
};

class CancelTest : public CommSettingsDialogTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(CancelTest, StoresNothing)
{
    Show();
    ASSERT_TRUE(gui::SelectItem(List(kBaudRate), "  2400"));
    ASSERT_TRUE(gui::SelectItem(List(kParity), "偶数    "));
    GetParam().end(dialog);
    ASSERT_TRUE(operation->Finished()) << "the dialog did not end";
    EXPECT_TRUE(SameSettings(port.GetDCB(), before));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CancelTest,
    ::testing::Values(
        EndCase{"CancelButton", [](HWND d) { gui::Press(d, IDCANCEL); }},
        EndCase{"CloseBox", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        EndCase{"EscapeKey",
                [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST_F(CommSettingsDialogTest, TheEnterKeyIsOk)
{
    Show();
    ASSERT_TRUE(gui::SelectItem(List(kStopBits), "1.5"));
    PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(operation->Finished()) << "the dialog did not end";
    EXPECT_EQ(port.GetDCB().StopBits, ONE5STOPBITS);
}

// A list can lose its selection (here the test takes it away; a list whose items could not be
// added has none either). OK then leaves that field alone instead of reading before the table.
TEST_F(CommSettingsDialogTest, AListWithoutASelectionLeavesItsFieldAlone)
{
    Store([](DCB& dcb) {
        dcb.BaudRate = 4800;
        dcb.Parity = ODDPARITY;
    });
    Show();
    ASSERT_TRUE(gui::SelectItem(List(kByteSize), "6"));
    for (int list : {kBaudRate, kStopBits, kParity})
        SendMessageA(List(list), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ASSERT_EQ(gui::ComboSelection(List(kParity)), std::nullopt);
    PressAndFinish(IDOK);
    DCB expected = before;
    expected.ByteSize = 6;
    EXPECT_TRUE(SameSettings(port.GetDCB(), expected));
}

} // namespace
