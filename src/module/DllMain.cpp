// The library's attach and detach handling. It runs under the loader lock, so it starts no thread,
// waits for nothing and creates no window.
#include "base/Win32.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(module);
    return TRUE;
}
