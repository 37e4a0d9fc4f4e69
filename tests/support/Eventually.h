// Bounded waiting for a condition that another thread brings about.
#ifndef MOKACOMM_TESTS_EVENTUALLY_H
#define MOKACOMM_TESTS_EVENTUALLY_H

#include "base/Win32.h"

// Polls `condition` every millisecond until it holds or `timeoutMs` passed; returns its last value.
template <class Condition>
bool Eventually(Condition condition, DWORD timeoutMs = 5000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return condition();
        Sleep(1);
    }
}

#endif
