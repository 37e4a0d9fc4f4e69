// A window terminal on one serial port: what arrives shows in the output pane, the input line
// sends on Enter, the status line shows the modem lines, line errors and failed calls.
//
//   window_host [COMn]
//
// With a port name the port is opened at start; otherwise Serial > Port... picks one.
#include <windows.h>

#include "TerminalWindow.h"

namespace {

// The first word of the command line, at most `size` - 1 characters.
void FirstWord(const char* commandLine, char* word, int size)
{
    while (*commandLine == ' ' || *commandLine == '\t')
        ++commandLine;
    int length = 0;
    while (commandLine[length] && commandLine[length] != ' ' && commandLine[length] != '\t' &&
           length < size - 1)
        ++length;
    lstrcpynA(word, commandLine, length + 1);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    // Closes the port when it goes, before the window's parts (see WindowPort).
    TerminalWindow terminal;
    if (!terminal.Create(instance, show))
        return 1;
    char portName[16];
    FirstWord(commandLine ? commandLine : "", portName, sizeof portName);
    if (portName[0])
        terminal.Open(portName);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        if (!terminal.PreTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}
