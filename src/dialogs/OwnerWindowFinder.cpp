#include "dialogs/OwnerWindowFinder.h"

HWND OwnerWindowFinder()
{
    if (const HWND active = GetActiveWindow())
        return active;

    // The console window belongs to another process, so it is found by its title: the console
    // gets a title no other window has for a moment. The title is process-wide state, and nothing
    // guards it against the host's other threads meanwhile.
    char saved[1024];
    if (GetConsoleTitleA(saved, sizeof saved) == 0)
        return nullptr;
    char temporary[1024];
    wsprintfA(temporary, "%d/%d", static_cast<int>(GetTickCount()),
              static_cast<int>(GetCurrentProcessId()));
    SetConsoleTitleA(temporary);
    // The console window takes a new title asynchronously.
    Sleep(40);
    const HWND console = FindWindowA(nullptr, temporary);
    SetConsoleTitleA(saved);
    return console;
}
