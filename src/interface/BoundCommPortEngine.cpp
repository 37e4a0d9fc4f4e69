#include "interface/BoundCommPortEngine.h"

#include "base/ScopeGuard.h"
#include "base/SrwGuard.h"
#include "engine/CommEventThread.h"

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
    bool created = false;
    {
        SrwGuard reading(hookState, SrwGuard::Mode::Shared);
        created = owner == &object;
    }
    if (created)
        Unbind();
    if (objects.Drop())
        Dispose();
}

// From here on no hook of the creator is called, and those running on event threads have returned
// (unless they take longer than kHookWait), but for the caller's own: an event thread of this
// engine runs host code only in a hook, and waits for no hook of its own.
void BoundCommPortEngine::Unbind()
{
    const EventThreadRun* run = EventThreadRun::Current();
    const unsigned long own = run && &run->engine == this ? 1 : 0;
    const ULONGLONG deadline = ::GetTickCount64() + kHookWait;
    SrwGuard guard(hookState);
    owner = nullptr;
    while (hooksRunning > own) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline || !guard.Wait(hooksDone, static_cast<DWORD>(deadline - now)))
            break;
    }
}

template <class Hook>
void BoundCommPortEngine::Deliver(Hook hook)
{
    CCommLib* target = nullptr;
    {
        SrwGuard guard(hookState);
        target = owner;
        if (target)
            ++hooksRunning;
    }
    if (!target)
        return;

    ScopeGuard done([this] {
        bool unbinding = false;
        {
            SrwGuard guard(hookState);
            --hooksRunning;
            // An unbinding called from a hook waits for the count to fall to its own hook, not to
            // zero: every hook that ends while one waits wakes it.
            unbinding = owner == nullptr;
        }
        if (unbinding)
            WakeAllConditionVariable(&hooksDone);
    });
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
