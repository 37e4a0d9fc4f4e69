// The module that holds the library's code, and so its dialog templates: Mokacomm.dll, or the
// program that links the library statically. Never the host's module.
#ifndef MOKACOMM_MODULE_H
#define MOKACOMM_MODULE_H

#include "engine/Win32.h"

HMODULE LibraryModule();

// The full path of LibraryModule() in `path`, which has room for `capacity` bytes; false when the
// platform cannot tell it or it does not fit.
bool LibraryPath(char* path, DWORD capacity);

#endif
