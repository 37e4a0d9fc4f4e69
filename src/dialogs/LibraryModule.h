// The module that holds the library's code, and so its dialog templates: Mokacomm.dll, or the
// program that links the library statically. Never the host's module.
#ifndef MOKACOMM_LIBRARY_MODULE_H
#define MOKACOMM_LIBRARY_MODULE_H

#include "base/Win32.h"

HMODULE LibraryModule();

// The full path of LibraryModule() in `path`, which has room for `capacity` characters; false
// when the platform cannot tell it or it does not fit. In UTF-16, which holds any file name.
bool LibraryPath(wchar_t* path, DWORD capacity);

#endif
