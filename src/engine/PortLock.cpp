#include "engine/PortLock.h"

#include "base/SrwGuard.h"

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
    SrwGuard guard(state);
    while (owner != 0 && owner != self) {
        if (giveUp && giveUp->Load())
            return false;
        ++waiters;
        guard.Wait(released, INFINITE);
        --waiters;
    }
    owner = self;
    ++depth;
    return true;
}

void PortLock::Unlock()
{
    bool wake = false;
    {
        SrwGuard guard(state);
        if (--depth == 0) {
            owner = 0;
            wake = waiters != 0;
        }
    }
    if (wake)
        WakeConditionVariable(&released);
}

void PortLock::Interrupt()
{
    // Taking the lock word once orders the caller's flag store before any waiter's next look at it.
    {
        SrwGuard ordering(state);
    }
    WakeAllConditionVariable(&released);
}
