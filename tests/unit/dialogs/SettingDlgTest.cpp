// SettingDlg on an open port with the engine's GetCommConfig or CommConfigDialogA replaced at the
// kernel32 seam, for what Wine's real calls never do on demand. The library is linked
// statically, so its module, and the message boxes' caption, is this program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "ComPort.h"
#include "GuiDriver.h"
#include "NullModem.h"
#include "TestEngine.h"

namespace {

constexpr char kDeviceInfoFailed[] = "デバイスの情報取得に失敗しました。";
// The module that holds the library here is this program, dialogs_unit_tests.exe.
constexpr char kCaption[] = "dialogs_unit_tests";

// What the fakes were given; reset by each test.
struct Seen {
    std::atomic<int> configCalls{0};
    std::atomic<int> dialogCalls{0};
    std::string name;
    HWND owner = nullptr;
    COMMCONFIG config{};
};
Seen seen;

BOOL WINAPI RefusingGetCommConfig(HANDLE, LPCOMMCONFIG, LPDWORD)
{
    ++seen.configCalls;
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
}

BOOL WINAPI FailingCommConfigDialogA(LPCSTR name, HWND owner, LPCOMMCONFIG config)
{
    ++seen.dialogCalls;
    seen.name = name;
    seen.owner = owner;
    seen.config = *config;
    SetLastError(ERROR_CANCELLED);
    return FALSE;
}

class SettingDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        seen.configCalls = 0;
        seen.dialogCalls = 0;
        seen.name.clear();
        seen.owner = nullptr;
        ASSERT_TRUE(pair.Ok()) << pair.Error();
    }

    void Open()
    {
        engine = MakeEngine(1024, 1024, calls);
        ASSERT_EQ(engine->Open(PortOf(pair.ComA())), CCommLib::ERR_OK);
        before = engine->GetDCB();
        lastErrorBefore = engine->GetLastError();
    }

    NullModemPair pair;
    PlatformCalls calls = RealPlatformCalls(); // set before Open(): the engine takes a copy
    EnginePtr<> engine;
    DCB before{};
    unsigned long lastErrorBefore = 0;
};

TEST_F(SettingDlgTest, AFailedConfigurationReadIsReportedAndNoDialogShown)
{
    calls.GetCommConfig = &RefusingGetCommConfig;
    calls.CommConfigDialogA = &FailingCommConfigDialogA;
    Open();
    gui::ModalOperation operation([&] { engine->SettingDlg(); });
    EXPECT_EQ(gui::DismissMessageBox(kCaption), std::string(kDeviceInfoFailed));
    ASSERT_TRUE(operation.Finished());
    EXPECT_EQ(seen.configCalls, 1);
    EXPECT_EQ(seen.dialogCalls, 0);
    EXPECT_EQ(std::memcmp(&engine->GetDCB(), &before, sizeof before), 0);
    EXPECT_EQ(engine->GetLastError(), lastErrorBefore);
}

// The platform's dialog gets the bare port name, the owner window and the configuration that
// GetCommConfig read; when it returns zero (here a failure rather than a Cancel) nothing is
// applied and nothing is reported.
TEST_F(SettingDlgTest, ThePlatformDialogGetsTheBareNameTheOwnerAndTheConfiguration)
{
    calls.CommConfigDialogA = &FailingCommConfigDialogA;
    Open();
    DCB state{};
    state.DCBlength = sizeof state;
    ASSERT_TRUE(GetCommState(engine->GetHandle(), &state));

    std::atomic<HWND> owner{nullptr};
    gui::ModalOperation operation([&] {
        owner = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                300, 200, nullptr, nullptr, nullptr, nullptr);
        SetActiveWindow(owner);
        engine->SettingDlg();
        DestroyWindow(owner);
    });
    ASSERT_TRUE(operation.Finished()) << "a message box or dialog was left open";
    ASSERT_EQ(seen.dialogCalls, 1);
    EXPECT_EQ(seen.name, "COM" + std::to_string(pair.ComA()));
    EXPECT_EQ(seen.owner, owner.load());
    EXPECT_EQ(seen.config.dwSize, 52u);
    EXPECT_EQ(seen.config.dcb.BaudRate, state.BaudRate);
    EXPECT_EQ(seen.config.dcb.ByteSize, state.ByteSize);
    EXPECT_EQ(seen.config.dcb.StopBits, state.StopBits);
    EXPECT_EQ(std::memcmp(&engine->GetDCB(), &before, sizeof before), 0);
    EXPECT_EQ(engine->GetLastError(), lastErrorBefore);
}

} // namespace
