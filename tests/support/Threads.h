// The threads of a process, for tests that watch what the library and Wine start.
#ifndef MOKACOMM_TESTS_THREADS_H
#define MOKACOMM_TESTS_THREADS_H

#include <vector>

#include "base/Win32.h"

// The ids of the process's threads, ascending; empty when they cannot be listed.
std::vector<DWORD> ProcessThreadIds(DWORD process = GetCurrentProcessId());
// When the thread was created, in FILETIME units; 0 when it has ended or cannot be read.
ULONGLONG ThreadCreationTime(DWORD id);
// The system time now, in FILETIME units, as finely as the platform tells it.
ULONGLONG PreciseSystemTime();

#endif
