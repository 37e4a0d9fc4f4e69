#include "engine/PortLock.h"

void PortLock::Lock()
{
    Acquire(nullptr);
}

bool PortLock::LockUnless(const Atomic<bool>& giveUp)
{
    return Acquire(&giveUp);
}

bool PortLock::Acquire(const Atomic<bool>* giveUp)
{
    const DWORD self = ::GetCurrentThreadId();
    AcquireSRWLockExclusive(&state);
    while (owner != 0 && owner != self) {
        if (giveUp && giveUp->Load()) {
            ReleaseSRWLockExclusive(&state);
            return false;
        }
        ++waiters;
        SleepConditionVariableSRW(&released, &state, INFINITE, 0);
        --waiters;
    }
    owner = self;
    ++depth;
    ReleaseSRWLockExclusive(&state);
    return true;
}

void PortLock::Unlock()
{
    AcquireSRWLockExclusive(&state);
    bool wake = false;
    if (--depth == 0) {
        owner = 0;
        wake = waiters != 0;
    }
    ReleaseSRWLockExclusive(&state);
    if (wake)
        WakeConditionVariable(&released);
}

void PortLock::Interrupt()
{
    // Taking the lock word once orders the caller's flag store before any waiter's next look at it.
    AcquireSRWLockExclusive(&state);
    ReleaseSRWLockExclusive(&state);
    WakeAllConditionVariable(&released);
}
