#include "dialogs/OwnerWindowFinder.h"

#include "base/HeapText.h"

namespace {

constexpr DWORD kFirstTitleRoom = 256;

// The console's title, whole, into `title`; false without a console, with an empty title, or
// without memory for the title. GetConsoleTitleW cuts a title that does not fit, and gives the
// length it copied or, on newer systems, the whole length: only a length with room to spare in
// the buffer is surely the whole title.
bool SaveConsoleTitle(HeapText<wchar_t>& title)
{
    DWORD room = kFirstTitleRoom;
    for (;;) {
        HeapText<wchar_t> buffer(room);
        if (!buffer)
            return false;
        const DWORD length = GetConsoleTitleW(buffer.Get(), room);
        if (length == 0)
            return false;
        if (length < room - 1) {
            title.Reset(buffer.Release());
            return true;
        }
        // Room for the whole length where it was given, else twice the room.
        const DWORD next = length >= room ? length + 2 : room * 2;
        if (next <= room)
            return false; // past what a DWORD counts
        room = next;
    }
}

} // namespace

HWND OwnerWindowFinder()
{
    if (const HWND active = GetActiveWindow())
        return active;

    // The console window belongs to another process, so it is found by its title: the console
    // gets a title no other window has for a moment. The title is process-wide state, and nothing
    // guards it against the host's other threads meanwhile. It is the host's, and comes back as
    // it was: in UTF-16, which holds any title, and whole.
    HeapText<wchar_t> saved;
    if (!SaveConsoleTitle(saved))
        return nullptr;
    // "%d/%d" of two ints: at most 23 characters.
    wchar_t temporary[24];
    wsprintfW(temporary, L"%d/%d", static_cast<int>(GetTickCount()),
              static_cast<int>(GetCurrentProcessId()));
    SetConsoleTitleW(temporary);
    // The console window takes a new title asynchronously.
    Sleep(40);
    const HWND console = FindWindowW(nullptr, temporary);
    SetConsoleTitleW(saved.Get());
    return console;
}
