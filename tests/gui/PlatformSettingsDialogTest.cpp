// SettingDlg on an open port: the platform's own configuration dialog (Wine's serialui), whose
// choice goes through SetDCB to the port at once.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ComPort.h"
#include "GuiDriver.h"
#include "Mokacomm.h"
#include "NullModem.h"

namespace {

constexpr char kLibrary[] = "Mokacomm";
constexpr char kSettingsFailed[] = "通信設定に失敗しました";

DCB PortState(HANDLE handle)
{
    DCB state{};
    state.DCBlength = sizeof state;
    EXPECT_TRUE(GetCommState(handle, &state));
    return state;
}

bool Same(const DCB& a, const DCB& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The list of the platform's dialog that offers `item`.
HWND ListOffering(HWND dialog, const std::string& item)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (gui::ClassName(child) != "ComboBox")
            continue;
        for (const std::string& text : gui::ComboItems(child)) {
            if (text == item)
                return child;
        }
    }
    return nullptr;
}

class PlatformSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_EQ(port.Open(PortOf(pair.ComA())), CCommLib::ERR_OK);
        before = port.GetDCB();
        stateBefore = PortState(port.GetHandle());
        name = "COM" + std::to_string(pair.ComA());
    }

    // Starts SettingDlg and waits for the platform's dialog: it names the port in its caption
    // and is not the library's own.
    HWND Show()
    {
        operation = std::make_unique<gui::ModalOperation>([this] { port.SettingDlg(); });
        return gui::WaitForWindow([this](HWND window) {
            return gui::ClassName(window) == gui::kDialogClass &&
                   gui::WindowText(window).find(name) != std::string::npos;
        });
    }

    NullModemPair pair;
    CCommLib port;
    std::string name;
    DCB before{};
    DCB stateBefore{};
    std::unique_ptr<gui::ModalOperation> operation;
};

TEST_F(PlatformSettingsDialogTest, CancelChangesNothing)
{
    const HWND dialog = Show();
    ASSERT_NE(dialog, nullptr) << "no platform dialog";
    EXPECT_EQ(gui::WaitForDialog("通信設定", 0), nullptr) << "the library's dialog is not shown";
    ASSERT_TRUE(gui::SelectItem(ListOffering(dialog, "9600"), "9600"));
    gui::Press(dialog, IDCANCEL);
    ASSERT_TRUE(operation->Finished()) << "the operation did not return by itself";
    EXPECT_TRUE(Same(port.GetDCB(), before));
    EXPECT_TRUE(Same(PortState(port.GetHandle()), stateBefore));
}

TEST_F(PlatformSettingsDialogTest, OkAppliesTheChoiceToThePortAndStoresIt)
{
    const HWND dialog = Show();
    ASSERT_NE(dialog, nullptr) << "no platform dialog";
    ASSERT_TRUE(gui::SelectItem(ListOffering(dialog, "9600"), "9600"));
    ASSERT_TRUE(gui::SelectItem(ListOffering(dialog, "Even"), "Even"));
    gui::Press(dialog, IDOK);
    ASSERT_TRUE(operation->Finished()) << "the operation did not return by itself";

    EXPECT_EQ(port.GetDCB().BaudRate, 9600u);
    EXPECT_EQ(port.GetDCB().Parity, EVENPARITY);
    EXPECT_EQ(PortState(port.GetHandle()).BaudRate, 9600u);
    EXPECT_EQ(port.GetPort(), PortOf(pair.ComA()));
}

TEST_F(PlatformSettingsDialogTest, SettingsThePortRefusesAreReportedAndStoredAnyway)
{
    const HWND dialog = Show();
    ASSERT_NE(dialog, nullptr) << "no platform dialog";
    // Wine's serial driver takes 5 to 8 data bits only.
    ASSERT_TRUE(gui::SelectItem(ListOffering(dialog, "16"), "16"));
    gui::Press(dialog, IDOK);
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kSettingsFailed));
    ASSERT_TRUE(operation->Finished());

    EXPECT_EQ(port.GetDCB().ByteSize, 16);
    EXPECT_EQ(PortState(port.GetHandle()).ByteSize, stateBefore.ByteSize);
}

} // namespace
