#include "engine/PlatformCalls.h"

PlatformCalls RealPlatformCalls()
{
    return {
        ::CreateFileA,
        ::CloseHandle,
        ::SetCommMask,
        ::SetupComm,
        ::PurgeComm,
        ::SetCommTimeouts,
        ::GetCommState,
        ::SetCommState,
        ::WaitCommEvent,
        ::ClearCommError,
        ::GetCommModemStatus,
        ::EscapeCommFunction,
        ::ReadFile,
        ::WriteFile,
        ::GetOverlappedResult,
        ::CancelIoEx,
        ::CreateThread,
        ::SetThreadPriority,
        ::WaitForSingleObject,
        ::WaitForMultipleObjects,
        ::CreateEventA,
        ::SetEvent,
        ::ResetEvent,
        ::Sleep,
        ::GetCommConfig,
        ::CommConfigDialogA,
    };
}
