// The port selection dialog opening and closing real ports: a pair of the virtual null-modem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiDriver.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "SerialCommKey.h"

namespace {

constexpr char kCaption[] = "COMポート選択";
constexpr char kLibrary[] = "Mokacomm";
constexpr char kNone[] = "切断";
constexpr char kHardwareInfoFailed[] = "実行マシンのハードウェア情報取得に失敗しました";
constexpr char kPortOpenFailed[] = "指定されたポートを開けません";
constexpr char kOpenSettingsFailed[] =
    "通信設定に失敗しました\n通信設定を確認してください\nポートを開けません";
constexpr int kPortList = 6003;

// Texts of a case name the rig's ports as "$A" and "$B".
struct RigCase {
    const char* name;
    bool openAFirst;
    std::vector<std::string> registry; // SERIALCOMM's port names, in order; "missing": no key
    const char* selected;              // the item selected when the dialog opens; null: none
    const char* choose;                // the item the user picks; null: none picked
    const char* message;               // what OK shows; null: OK ends the dialog
    const char* portAfter;             // "$A" or "$B", or null for no open port
};

class PortSelectRigTest : public ::testing::TestWithParam<RigCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_TRUE(serialComm.Clear());
    }

    std::string Name(const char* text) const
    {
        const std::string t = text;
        if (t == "$A")
            return "COM" + std::to_string(pair.ComA());
        if (t == "$B")
            return "COM" + std::to_string(pair.ComB());
        return t;
    }

    CCommLib::PORT Port(const char* text) const
    {
        return text ? static_cast<CCommLib::PORT>(std::stoi(Name(text).substr(3)) - 1)
                    : CCommLib::PORT_NONE;
    }

    NullModemPair pair;
    SerialCommKey serialComm;
    CCommLib port;
};

TEST_P(PortSelectRigTest, OkOutcome)
{
    const RigCase& c = GetParam();
    int index = 0;
    for (const std::string& item : c.registry) {
        if (item == "missing") {
            ASSERT_TRUE(serialComm.Remove());
        } else if (item == "oversize") {
            // Named to come after the ports: Wine enumerates values in the order of their names.
            ASSERT_TRUE(serialComm.Set("~oversize", REG_SZ, std::string(300, 'o')));
        } else {
            ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial" + std::to_string(index++),
                                           Name(item.c_str())));
        }
    }
    if (c.openAFirst) {
        ASSERT_EQ(port.Open(Port("$A")), CCommLib::ERR_OK);
    }

    gui::ModalOperation operation([&] { port.SelectPort(); });
    const std::string last = c.registry.empty() ? "" : c.registry.back();
    if (last == "oversize" || last == "missing") {
        EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kHardwareInfoFailed));
    }
    const HWND dialog = gui::WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr);
    const HWND list = GetDlgItem(dialog, kPortList);
    if (c.selected) {
        EXPECT_EQ(gui::ComboSelection(list), Name(c.selected));
    } else {
        EXPECT_EQ(gui::ComboSelection(list), std::nullopt);
    }
    if (c.choose) {
        ASSERT_TRUE(gui::SelectItem(list, Name(c.choose)));
    }

    gui::Press(dialog, IDOK);
    if (c.message) {
        EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(c.message));
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays after a failed open";
        EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
        gui::Press(dialog, IDCANCEL);
    }
    ASSERT_TRUE(operation.Finished()) << "the dialog did not end";
    EXPECT_EQ(port.GetPort(), Port(c.portAfter));
    EXPECT_EQ(port.GetHandle() != nullptr, c.portAfter != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortSelectRigTest,
    ::testing::Values(
        RigCase{"ChoosingAPortOpensIt", false, {"$A", "$B"}, kNone, "$B", nullptr, "$B"},
        RigCase{"TheOpenPortIsSelected", true, {"$B", "$A"}, "$A", nullptr, nullptr, "$A"},
        RigCase{"WithoutTheKeyTheOpenPortIsSelectedInTheBuiltInList", true, {"missing"}, "$A",
                nullptr, nullptr, "$A"},
        RigCase{"ChoosingTheOpenPortReopensIt", true, {"$A"}, "$A", "$A", nullptr, "$A"},
        RigCase{"AnOpenPortMissingFromTheKeySelectsNone", true, {"$B"}, kNone, nullptr, nullptr,
                nullptr},
        RigCase{"SwitchingPorts", true, {"$A", "$B"}, "$A", "$B", nullptr, "$B"},
        RigCase{"ChoosingNoneClosesThePort", true, {"$A"}, "$A", kNone, nullptr, nullptr},
        RigCase{"ANameAboveCom32ClosesThePortAndIsReported", true, {"$A", "COM40"}, "$A",
                "COM40", kPortOpenFailed, nullptr},
        RigCase{"AFailedOpenLeavesThePortClosed", true, {"$A", "COM31"}, "$A", "COM31",
                kPortOpenFailed, nullptr},
        RigCase{"NothingSelectedReopensThePortThatWasOpen", true, {"$B", "oversize"}, nullptr,
                nullptr, nullptr, "$A"}),
    [](const ::testing::TestParamInfo<RigCase>& info) { return std::string(info.param.name); });

TEST(PortSelectRigSettingsTest, SettingsThePortRefusesAreReportedAndTheDialogStays)
{
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    SerialCommKey serialComm;
    ASSERT_TRUE(serialComm.Clear());
    const std::string name = "COM" + std::to_string(pair.ComA());
    ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial0", name));
    CCommLib port;
    // Wine's serial driver takes 5 to 8 data bits only.
    DCB settings = port.GetDCB();
    settings.ByteSize = 16;
    ASSERT_EQ(port.SetDCB(settings), CCommLib::ERR_NOT_OPEN);

    gui::ModalOperation operation([&] { port.SelectPort(); });
    const HWND dialog = gui::WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(gui::SelectItem(GetDlgItem(dialog, kPortList), name));
    gui::Press(dialog, IDOK);
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kOpenSettingsFailed));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
    gui::Press(dialog, IDCANCEL);
    ASSERT_TRUE(operation.Finished());
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
}

} // namespace
