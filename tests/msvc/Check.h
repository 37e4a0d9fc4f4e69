// Checks for the Microsoft-ABI host test, which has no standard library: a failed check prints
// its place and what it saw, and the program's exit status says whether any failed.
#ifndef MOKACOMM_MSVC_CHECK_H
#define MOKACOMM_MSVC_CHECK_H

#include <stdio.h>

#include "base/Win32.h"

struct CheckCounts {
    int checks;
    int failures;
};

inline CheckCounts& Counts()
{
    static CheckCounts counts;
    return counts;
}

inline bool CheckPassed(bool passed, const char* file, int line, const char* what)
{
    ++Counts().checks;
    if (!passed) {
        ++Counts().failures;
        printf("%s(%d): check failed: %s\n", file, line, what);
    }
    return passed;
}

inline bool CheckEqual(__int64 actual, __int64 expected, const char* file, int line,
                       const char* what)
{
    if (actual == expected)
        return CheckPassed(true, file, line, what);
    printf("%s(%d): got %I64d, expected %I64d\n", file, line, actual, expected);
    return CheckPassed(false, file, line, what);
}

// Both evaluate to whether the check passed, for the checks that make no sense after a failure.
#define CHECK(condition) CheckPassed(!!(condition), __FILE__, __LINE__, #condition)
#define CHECK_EQ(actual, expected)                                                              \
    CheckEqual(static_cast<__int64>(actual), static_cast<__int64>(expected), __FILE__, __LINE__, \
               #actual " == " #expected)

// Polls `done` every millisecond until it holds or `timeoutMs` passed.
template <class Condition>
bool Eventually(Condition done, DWORD timeoutMs = 5000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(1);
    }
    return true;
}

#endif
