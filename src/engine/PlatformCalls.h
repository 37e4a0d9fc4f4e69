// The engine reaches kernel32 only through this table, so that a unit test can make one named call
// fail. The shipped library binds every entry to the real function.
#ifndef MOKACOMM_PLATFORM_CALLS_H
#define MOKACOMM_PLATFORM_CALLS_H

#include "base/Win32.h"

struct PlatformCalls {
    decltype(&::CreateFileA) CreateFileA;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::SetCommMask) SetCommMask;
    decltype(&::SetupComm) SetupComm;
    decltype(&::PurgeComm) PurgeComm;
    decltype(&::SetCommTimeouts) SetCommTimeouts;
    decltype(&::GetCommState) GetCommState;
    decltype(&::SetCommState) SetCommState;
    decltype(&::WaitCommEvent) WaitCommEvent;
    decltype(&::ClearCommError) ClearCommError;
    decltype(&::GetCommModemStatus) GetCommModemStatus;
    decltype(&::EscapeCommFunction) EscapeCommFunction;
    decltype(&::ReadFile) ReadFile;
    decltype(&::WriteFile) WriteFile;
    decltype(&::GetOverlappedResult) GetOverlappedResult;
    decltype(&::CancelIoEx) CancelIoEx;
    decltype(&::CreateThread) CreateThread;
    decltype(&::SetThreadPriority) SetThreadPriority;
    decltype(&::WaitForSingleObject) WaitForSingleObject;
    decltype(&::WaitForMultipleObjects) WaitForMultipleObjects;
    decltype(&::CreateEventA) CreateEventA;
    decltype(&::SetEvent) SetEvent;
    decltype(&::ResetEvent) ResetEvent;
    decltype(&::Sleep) Sleep;
    decltype(&::GetCommConfig) GetCommConfig;
    decltype(&::CommConfigDialogA) CommConfigDialogA;
};

// The table bound to kernel32, read from the module's import table at each call: an engine takes
// its copy when it is made, so that an import rebound after the library was loaded (by an API
// monitor, or a test) reaches every engine made afterwards.
PlatformCalls RealPlatformCalls();

#endif
