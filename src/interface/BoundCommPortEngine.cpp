#include "interface/BoundCommPortEngine.h"

namespace {

// How long an unbinding waits for a hook that is running on another thread.
constexpr DWORD kHookWait = 10000;

} // namespace

BoundCommPortEngine::BoundCommPortEngine(CCommLib& owner, unsigned long outQueueSize,
                                         unsigned long inQueueSize)
    : CommPortEngine(outQueueSize, inQueueSize), owner(&owner)
{
}

void BoundCommPortEngine::Share()
{
    objects.Add();
}

void BoundCommPortEngine::Unshare(CCommLib& object)
{
    AcquireSRWLockShared(&hookState);
    const bool created = owner == &object;
    ReleaseSRWLockShared(&hookState);
    if (created)
        Unbind();
    if (objects.Drop())
        Dispose();
}

// From here on no hook of the creator is called, and one that is running on the event thread has
// returned (unless it takes longer than kHookWait, or this is that very thread).
void BoundCommPortEngine::Unbind()
{
    const DWORD self = ::GetCurrentThreadId();
    const ULONGLONG deadline = ::GetTickCount64() + kHookWait;
    AcquireSRWLockExclusive(&hookState);
    owner = nullptr;
    while (hooksRunning != 0 && hookThread != self) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline ||
            !SleepConditionVariableSRW(&hooksDone, &hookState, static_cast<DWORD>(deadline - now), 0))
            break;
    }
    ReleaseSRWLockExclusive(&hookState);
}

template <class Hook>
void BoundCommPortEngine::Deliver(Hook hook)
{
    AcquireSRWLockExclusive(&hookState);
    CCommLib* const target = owner;
    if (target) {
        ++hooksRunning;
        hookThread = ::GetCurrentThreadId();
    }
    ReleaseSRWLockExclusive(&hookState);
    if (!target)
        return;

    struct Done {
        BoundCommPortEngine& engine;
        ~Done()
        {
            AcquireSRWLockExclusive(&engine.hookState);
            const bool last = --engine.hooksRunning == 0;
            ReleaseSRWLockExclusive(&engine.hookState);
            if (last)
                WakeAllConditionVariable(&engine.hooksDone);
        }
    } done{*this};
    hook(*target);
}

void BoundCommPortEngine::EventRx(unsigned long bytesInQueue)
{
    Deliver([=](CCommLib& o) { o.EventRx(bytesInQueue); });
}

void BoundCommPortEngine::EventLine(unsigned long modemStatus)
{
    Deliver([=](CCommLib& o) { o.EventLine(modemStatus); });
}

void BoundCommPortEngine::EventTxEnd()
{
    Deliver([](CCommLib& o) { o.EventTxEnd(); });
}

void BoundCommPortEngine::EventError(COMSTAT& status, unsigned long errors)
{
    Deliver([&status, errors](CCommLib& o) { o.EventError(status, errors); });
}
