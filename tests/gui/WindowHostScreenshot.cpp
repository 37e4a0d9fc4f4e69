// Shows the example window host for scripts/screenshots.sh, open on one end of a virtual
// null-modem with a short exchange on screen: the far end answers like a modem. Prints the
// window's rectangle, waits until the file named by the argument exists (at most 30 s), then
// exits the host.
#include <cstdio>
#include <string>

#include "NullModem.h"
#include "PeerPort.h"
#include "ScreenshotProtocol.h"
#include "WindowHostDriver.h"

namespace {

// The host's line end is CR unless told otherwise.
bool Exchange(WindowHostProcess& host, PeerPort& peer, const std::string& command,
              const std::string& answer)
{
    return host.Type(command) && peer.Read(command.size() + 1, 5000) == command + "\r" &&
           peer.Write(answer);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PROCEED_FILE\n", argv[0]);
        return 2;
    }
    NullModemPair pair;
    if (!pair.Ok()) {
        std::fprintf(stderr, "no null-modem pair: %s\n", pair.Error().c_str());
        return 1;
    }
    PeerPort peer(pair.ComB());
    // The far end's DTR and RTS are the host's DSR, RLSD and CTS.
    if (!peer.IsOpen() || !peer.Escape(SETDTR) || !peer.Escape(SETRTS)) {
        std::fprintf(stderr, "the far end of the pair cannot be used\n");
        return 1;
    }
    WindowHostProcess host("COM" + std::to_string(pair.ComA()));
    const HWND output = host.Window() ? host.Control(IDC_OUTPUT) : nullptr;
    const bool shown =
        output && WaitUntilShown(host.Window(), "COM" + std::to_string(pair.ComA()) + " ") &&
        Exchange(host, peer, "ATI", "Mokacomm virtual modem\r\n日本語の応答もそのまま\r\nOK\r\n") &&
        pair.SetRing(pair.ComA(), true) && peer.Write("RING\r\n") &&
        Exchange(host, peer, "ATA", "\aCONNECT 19200\r\n") &&
        WaitUntilShown(output, "<07>CONNECT 19200\r\n") &&
        WaitUntilShown(host.Control(IDC_LINES), "RING on");
    if (!shown) {
        std::fprintf(stderr, "the exchange did not show; the pane has:\n%s\n",
                     ShownText(output).c_str());
        return 1;
    }
    const int status = ReportWindow(host.Window());
    if (status == 0)
        Hold(argv[1]);
    host.Exit();
    return status;
}
