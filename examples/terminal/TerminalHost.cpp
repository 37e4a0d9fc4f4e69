// A console terminal on one serial port: what arrives is printed, with the port's line changes,
// errors and the end of each transmission; each line typed on standard input is sent.
//
//   terminal_host [--settings] [COMn]
//
// Without a port name the port selection dialog is shown; --settings shows the communication
// settings dialog first. The program ends at the end of its input.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>

#include "ErrNames.h"
#include "Mokacomm.h"

namespace {

// The hooks print from the library's event thread while main() prints from its own.
std::mutex outputLock;

void Say(const std::string& text)
{
    std::lock_guard<std::mutex> guard(outputLock);
    std::printf("[host] %s\n", text.c_str());
    std::fflush(stdout);
}

std::string Printable(const char* data, unsigned long length)
{
    std::string text;
    for (unsigned long i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\r' || c == '\n')
            continue;
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string Flags(unsigned long word, const std::pair<unsigned long, const char*>* names, size_t n)
{
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        if (word & names[i].first)
            text += std::string(text.empty() ? "" : " ") + names[i].second;
    }
    return text.empty() ? "none" : text;
}

class Terminal : public CCommLib {
public:
    // The port closes while the hooks can still run on this object.
    ~Terminal() { Close(); }

    void EventRx(unsigned long count) override
    {
        // Ask for exactly what is waiting: a longer read waits for its read time-out.
        char buffer[512];
        while (count > 0) {
            const unsigned long want = count < sizeof buffer ? count : sizeof buffer;
            unsigned long got = 0;
            if (!Receive(buffer, want, &got) || got == 0)
                return;
            Say("EventRx: " + std::to_string(got) + " bytes: \"" + Printable(buffer, got) + "\"");
            count -= got;
        }
    }

    void EventLine(unsigned long status) override
    {
        static const std::pair<unsigned long, const char*> lines[] = {
            {MS_CTS_ON, "CTS"}, {MS_DSR_ON, "DSR"}, {MS_RING_ON, "RING"}, {MS_RLSD_ON, "RLSD"}};
        Say("EventLine: lines on: " + Flags(status, lines, 4));
    }

    void EventTxEnd() override { Say("EventTxEnd: everything sent has left the port"); }

    void EventError(COMSTAT& status, unsigned long errors) override
    {
        static const std::pair<unsigned long, const char*> bits[] = {
            {CE_RXOVER, "CE_RXOVER"}, {CE_OVERRUN, "CE_OVERRUN"}, {CE_RXPARITY, "CE_RXPARITY"},
            {CE_FRAME, "CE_FRAME"},   {CE_BREAK, "CE_BREAK"},     {CE_TXFULL, "CE_TXFULL"}};
        Say("EventError: " + Flags(errors, bits, 6) + ", " + std::to_string(status.cbInQue) +
            " bytes waiting");
    }
};

bool Report(const char* what, CCommLib::ERR result, CCommLib& port)
{
    if (result == CCommLib::ERR_OK)
        return true;
    Say(std::string(what) + " failed: " + ErrName(result) + " (system error " +
        std::to_string(port.GetLastError()) + ")");
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    bool settings = false;
    const char* portName = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--settings") == 0)
            settings = true;
        else
            portName = argv[i];
    }

    Terminal port;
    if (settings)
        port.SettingDlg();
    if (portName) {
        // "COM5" is PORT_COM5: the names and the numbers run in step.
        CCommLib::PORT number = CCommLib::PORT_NONE;
        for (int p = CCommLib::PORT_COM1; p <= CCommLib::PORT_COM32; ++p) {
            if (_stricmp(portName, CCommLib::GetPortStr(static_cast<CCommLib::PORT>(p))) == 0)
                number = static_cast<CCommLib::PORT>(p);
        }
        if (!Report("Open", port.Open(number), port))
            return 1;
    } else {
        port.SelectPort();
    }
    if (port.GetPort() == CCommLib::PORT_NONE) {
        Say("no port is open");
        return 1;
    }
    const DCB& line = port.GetDCB();
    Say(std::string("opened ") + CCommLib::GetPortStr(port.GetPort()) + " at " +
        std::to_string(line.BaudRate) + " baud");

    std::string text;
    while (std::getline(std::cin, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        Say("sending \"" + text + "\"");
        Report("Send", port.Send((text + "\r\n").c_str()), port);
    }

    const CCommLib::PORT opened = port.GetPort();
    const CCommLib::ERR closed = port.Close();
    Say(std::string("closed ") + CCommLib::GetPortStr(opened) + ": " + ErrName(closed));
    return closed == CCommLib::ERR_OK ? 0 : 1;
}
