// The module that holds the library's code, and so its dialog templates: Mokacomm.dll, or the
// program that links the library statically. Never the host's module.
#ifndef MOKACOMM_MODULE_H
#define MOKACOMM_MODULE_H

#include <string>

#include "engine/Win32.h"

HMODULE LibraryModule();

// The full path of LibraryModule(); empty when the platform cannot tell it.
std::string LibraryPath();

#endif
