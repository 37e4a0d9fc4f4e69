// A monotonic clock in milliseconds with the performance counter's resolution.
#ifndef MOKACOMM_TESTS_CLOCK_H
#define MOKACOMM_TESTS_CLOCK_H

#include "base/Win32.h"

inline double NowMs()
{
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

#endif
