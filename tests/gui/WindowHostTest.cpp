// The example window host as its user sees it, on the virtual null-modem: the port picked in the
// port selection dialog, a line each way, a modem line, a failed call, the settings dialog, exit.
// Everything is read from the host's window by this process.
#include <gtest/gtest.h>

#include <string>

#include "Eventually.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "SerialCommKey.h"
#include "Threads.h"
#include "WindowHostDriver.h"

namespace {

constexpr char kPortDialog[] = "COMポート選択";
constexpr char kSettingsDialog[] = "通信設定";
constexpr int kPortList = 6003;
constexpr int kBaudRateList = 6000;

TEST(WindowHostTest, OpensThroughTheDialogTalksShowsLinesAndTakesNewSettings)
{
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    const std::string portName = "COM" + std::to_string(pair.ComA());
    SerialCommKey serialComm;
    ASSERT_TRUE(serialComm.Clear());
    ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial0", portName));
    PeerPort peer(pair.ComB());
    ASSERT_TRUE(peer.IsOpen());

    WindowHostProcess host;
    ASSERT_NE(host.Window(), nullptr) << "the window host's window did not become active";
    const HWND output = host.Control(IDC_OUTPUT);
    const HWND status = host.Control(IDC_MESSAGE);

    // The dialog belongs to the host's window, which is what makes it modal to the host.
    host.Command(IDM_PORT);
    const HWND portDialog = host.WaitForDialog(kPortDialog);
    ASSERT_NE(portDialog, nullptr);
    EXPECT_EQ(GetWindow(portDialog, GW_OWNER), host.Window());
    ASSERT_TRUE(PickItem(GetDlgItem(portDialog, kPortList), portName));
    gui::Press(portDialog, IDOK);
    ASSERT_TRUE(gui::WaitUntilGone(portDialog));
    EXPECT_TRUE(WaitUntilShown(host.Window(), portName + " 19200 baud 8N2 - Mokacomm Terminal"))
        << ShownText(host.Window());

    ASSERT_TRUE(PickItem(host.Control(IDC_LINE_END), "LF"));
    ASSERT_TRUE(host.Type("ATI"));
    EXPECT_EQ(peer.Read(4, 5000), "ATI\n");
    // A double-byte text, and a control byte that shows in hex.
    const ULONGLONG written = PreciseSystemTime();
    ASSERT_TRUE(peer.Write("OK 了解\a\r\n"));
    EXPECT_TRUE(WaitUntilShown(output, "> ATI\r\nOK 了解<07>\r\n")) << ShownText(output);

    // The line changes once the host's event thread, done with those bytes, waits again: the
    // wait that reported them began before they came.
    ASSERT_TRUE(host.WaitForPortWait(written)) << "the host's port waits no more";
    ASSERT_TRUE(peer.Escape(SETRTS));
    const HWND lines = host.Control(IDC_LINES);
    EXPECT_TRUE(WaitUntilShown(lines, "CTS on")) << ShownText(lines);
    // The host's stored settings leave DTR off; the toggle raises it.
    EXPECT_EQ(peer.ModemStatus() & MS_DSR_ON, 0u);
    ASSERT_TRUE(host.Click(IDC_DTR));
    EXPECT_TRUE(Eventually([&] { return (peer.ModemStatus() & MS_DSR_ON) != 0; }))
        << "the DTR toggle did not raise the peer's DSR";

    host.Command(IDM_CLOSE);
    EXPECT_TRUE(WaitUntilShown(host.Window(), "切断 19200 baud")) << ShownText(host.Window());
    ASSERT_TRUE(host.Type("AT"));
    EXPECT_TRUE(WaitUntilShown(status, "Send: ERR_NOT_OPEN")) << ShownText(status);

    host.Command(IDM_SETTINGS);
    const HWND settingsDialog = host.WaitForDialog(kSettingsDialog);
    ASSERT_NE(settingsDialog, nullptr);
    ASSERT_TRUE(PickItem(GetDlgItem(settingsDialog, kBaudRateList), "  9600"));
    gui::Press(settingsDialog, IDOK);
    ASSERT_TRUE(gui::WaitUntilGone(settingsDialog));
    EXPECT_TRUE(WaitUntilShown(host.Window(), "切断 9600 baud 8N2 - Mokacomm Terminal"))
        << ShownText(host.Window());

    EXPECT_EQ(host.Exit(), 0u);
}

} // namespace
