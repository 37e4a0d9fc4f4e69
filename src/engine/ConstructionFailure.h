// How an engine's constructor reports that the platform refused it a resource: construction is
// the one operation whose failure leaves the library as an exception.
#ifndef MOKACOMM_CONSTRUCTION_FAILURE_H
#define MOKACOMM_CONSTRUCTION_FAILURE_H

#include "base/Win32.h"

// Throws std::runtime_error whose text names `call` and the platform's error code.
[[noreturn]] void ThrowConstructionFailure(const char* call, DWORD error);

#endif
