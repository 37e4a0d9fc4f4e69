// The entry point of window programs of the Microsoft-ABI build: what Visual C++'s
// WinMainCRTStartup does. The program's static objects exist while WinMain runs.
#include <stdlib.h>

#include "base/Win32.h"
#include "MsvcRuntime.h"

namespace {

// The command line after the program's name, which ends at a blank outside quotes.
char* ArgumentsOf(char* line)
{
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line) {
        if (*line == '"')
            quoted = !quoted;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

} // namespace

extern "C" __attribute__((no_stack_protector)) void WinMainCRTStartup()
{
    MsvcRuntimeStart();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    const int status =
        WinMain(GetModuleHandleA(nullptr), nullptr, ArgumentsOf(GetCommandLineA()), show);
    MsvcRuntimeStop();
    exit(status);
}
