// The start and the end of a module of the Microsoft-ABI build, for its entry point
// (MsvcDllEntry.cpp, MsvcExeEntry.cpp, MsvcWinEntry.cpp).
#ifndef MOKACOMM_MSVC_RUNTIME_H
#define MOKACOMM_MSVC_RUNTIME_H

// Makes the stack cookie, then constructs the module's static objects.
void MsvcRuntimeStart();

// Destroys the module's static objects, the last made first, and those made meanwhile too.
void MsvcRuntimeStop();

#endif
