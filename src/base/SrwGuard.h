// A slim reader/writer lock held for a scope. Every SRW lock of the library and of the stand-in
// runtime is taken through this guard, so that no way out of a scope leaves one held.
#ifndef MOKACOMM_SRW_GUARD_H
#define MOKACOMM_SRW_GUARD_H

#include "base/Win32.h"

class SrwGuard {
public:
    enum class Mode { Exclusive, Shared };

    explicit SrwGuard(SRWLOCK& lock, Mode mode = Mode::Exclusive) : lock(lock), mode(mode)
    {
        if (mode == Mode::Shared)
            AcquireSRWLockShared(&lock);
        else
            AcquireSRWLockExclusive(&lock);
    }
    SrwGuard(const SrwGuard&) = delete;
    SrwGuard& operator=(const SrwGuard&) = delete;
    ~SrwGuard()
    {
        if (mode == Mode::Shared)
            ReleaseSRWLockShared(&lock);
        else
            ReleaseSRWLockExclusive(&lock);
    }

    // Lets go of the lock while it waits for `condition`, and holds it again, in the same mode,
    // when the wait ends (SleepConditionVariableSRW): FALSE when `milliseconds` ran out first.
    BOOL Wait(CONDITION_VARIABLE& condition, DWORD milliseconds)
    {
        const ULONG flags = mode == Mode::Shared ? CONDITION_VARIABLE_LOCKMODE_SHARED : 0;
        return SleepConditionVariableSRW(&condition, &lock, milliseconds, flags);
    }

private:
    SRWLOCK& lock;
    const Mode mode;
};

#endif
