// Shows one of the library's windows for scripts/screenshots.sh: "port" (the port selection
// dialog), "settings" (the settings dialog) or "message" (the message for a port that cannot be
// opened). Prints the window's screen rectangle as "x y width height", waits until the file named
// by the second argument exists (at most 30 s), then closes everything.
#include <cstdio>
#include <cstring>
#include <string>

#include "GuiDriver.h"
#include "Mokacomm.h"
#include "ScreenshotProtocol.h"
#include "SerialCommKey.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s port|settings|message PROCEED_FILE\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    SerialCommKey serialComm;
    serialComm.Clear();
    serialComm.SetPort("\\Device\\Serial0", "COM1");
    serialComm.SetPort("\\Device\\Serial2", "COM3");
    serialComm.SetPort("\\Device\\Serial30", "COM31");

    CCommLib port;
    gui::ModalOperation operation([&] {
        if (mode == "settings")
            port.SettingDlg();
        else
            port.SelectPort();
    });
    HWND shown = nullptr;
    if (mode == "settings") {
        shown = gui::WaitForDialog("通信設定", kHoldMs);
    } else if (mode == "port") {
        shown = gui::WaitForDialog("COMポート選択", kHoldMs);
    } else if (mode == "message") {
        const HWND dialog = gui::WaitForDialog("COMポート選択", kHoldMs);
        if (dialog && gui::SelectItem(GetDlgItem(dialog, 6003), "COM31")) {
            gui::Press(dialog, IDOK);
            shown = gui::WaitForDialog("Mokacomm");
        }
    }
    const int status = ReportWindow(shown);
    if (status == 0)
        Hold(argv[2]);
    return status;
}
