// The entry point of a DLL of the Microsoft-ABI build (Mokacomm.dll): what Visual C++'s
// _DllMainCRTStartup does. The module's static objects exist while DllMain runs, from before its
// attach to after its detach.
#include "base/Win32.h"
#include "MsvcRuntime.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

extern "C" __attribute__((no_stack_protector)) BOOL WINAPI
_DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        MsvcRuntimeStart();
        if (!DllMain(module, reason, reserved)) {
            MsvcRuntimeStop();
            return FALSE;
        }
        return TRUE;
    }
    const BOOL result = DllMain(module, reason, reserved);
    if (reason == DLL_PROCESS_DETACH)
        MsvcRuntimeStop();
    return result;
}
