#include "engine/CommEventThread.h"

#include "engine/CommPortEngine.h"
#include "base/Runtime.h"

namespace {

constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_RING;
// How long the thread waits before its first wait for events. Open returns only once that wait is
// under way (AnnounceStart), so every successful Open lasts at least this long: the interface
// promises it (README, Members: Open "takes at least 100 ms"; a rig test holds it), and a host may
// count on it: when Open returns, the port's new settings and the modem lines they set have been
// in place that long before the host's first Send. A shorter pause changes what hosts see.
constexpr DWORD kStartPause = 100;
constexpr DWORD kFirstRetryDelay = 10;
constexpr DWORD kLongestRetryDelay = 1000;
constexpr DWORD kRepeatPause = 10;
constexpr DWORD kCancelGrace = 20;
constexpr DWORD kCancelLimit = 1000;

thread_local EventThreadRun* currentRun = nullptr;

// A wait that fails at once (the device is gone, the mask was emptied) fails again at once when
// it is repeated: retry ever more slowly, up to once a second, instead of spinning.
DWORD RetryDelay(unsigned failures)
{
    const unsigned doublings = failures - 1 < 7 ? failures - 1 : 7;
    const DWORD delay = kFirstRetryDelay << doublings;
    return delay < kLongestRetryDelay ? delay : kLongestRetryDelay;
}

} // namespace

DWORD WINAPI CommEventThread(void* parameter)
{
    auto* run = static_cast<EventThreadRun*>(parameter);
    CommPortEngine& engine = run->engine;
    currentRun = run;
    run->Main();
    currentRun = nullptr;
    run->Release();
    // The thread's reference: this may destroy the engine, so nothing of it is used afterwards.
    engine.Release();
    return 0;
}

EventThreadRun* EventThreadRun::Create(CommPortEngine& engine, HANDLE port,
                                       const PlatformCalls& calls)
{
    KernelHandle stopEvent(calls.CreateEventA(nullptr, TRUE, FALSE, nullptr), calls.CloseHandle);
    if (!stopEvent)
        return nullptr;
    KernelHandle waitEvent(calls.CreateEventA(nullptr, TRUE, FALSE, nullptr), calls.CloseHandle);
    if (!waitEvent)
        return nullptr;
    auto* run = new (std::nothrow)
        EventThreadRun(engine, port, calls, static_cast<KernelHandle&&>(stopEvent),
                       static_cast<KernelHandle&&>(waitEvent));
    if (!run)
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return run;
}

// Takes the events over from Create, which keeps them when the run cannot be made.
EventThreadRun::EventThreadRun(CommPortEngine& engine, HANDLE port, const PlatformCalls& calls,
                               KernelHandle&& stopEvent, KernelHandle&& waitEvent)
    : engine(engine), port(port), calls(calls),
      stopEvent(static_cast<KernelHandle&&>(stopEvent)),
      waitEvent(static_cast<KernelHandle&&>(waitEvent))
{
    waitOverlapped.hEvent = this->waitEvent.Get();
}

EventThreadRun* EventThreadRun::Current()
{
    return currentRun;
}

void EventThreadRun::Release()
{
    // A wait that could not be cancelled may still write into waitOverlapped and eventMask, so
    // such a run is kept.
    if (references.Drop() && !waitPending)
        delete this;
}

void EventThreadRun::RequestStop()
{
    running.Store(false);
    calls.SetEvent(stopEvent.Get());
}

void EventThreadRun::Main()
{
    Pause(kStartPause); // Open's least duration: see kStartPause
    Loop();
}

// Open returns once the first wait for events is under way: Wine keeps no record of line changes
// made while no wait is pending, so a change right after Open would otherwise be lost. The start
// event stays set until Open's wait takes it, even when Open is not waiting yet.
void EventThreadRun::AnnounceStart()
{
    if (announced)
        return;
    announced = true;
    calls.SetEvent(engine.startEvent.Get());
}

void EventThreadRun::Loop()
{
    unsigned failures = 0;
    while (running.Load()) {
        switch (WaitForEvents()) {
        case Wait::Events:
            failures = 0;
            // Wine reports EV_RXCHAR again at once for as long as unread bytes wait, which would
            // spin this thread and its hooks: a report of nothing new waits a little first.
            if (running.Load() && !Dispatch(eventMask) && running.Load())
                Pause(kRepeatPause);
            break;
        case Wait::Nothing:
            if (running.Load())
                Pause(RetryDelay(++failures));
            break;
        case Wait::Stuck:
            return;
        }
    }
}

void EventThreadRun::Pause(DWORD milliseconds)
{
    const HANDLE stop = stopEvent.Get();
    calls.WaitForMultipleObjects(1, &stop, FALSE, milliseconds);
}

EventThreadRun::Wait EventThreadRun::WaitForEvents()
{
    eventMask = 0;
    const BOOL completed = calls.WaitCommEvent(port, &eventMask, &waitOverlapped);
    const DWORD error = ::GetLastError();
    AnnounceStart();
    if (completed)
        return eventMask != 0 ? Wait::Events : Wait::Nothing;
    if (error != ERROR_IO_PENDING)
        return Wait::Nothing;

    const HANDLE handles[] = {waitEvent.Get(), stopEvent.Get()};
    if (calls.WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0)
        return EndPendingWait() ? Wait::Nothing : Wait::Stuck;
    // Any change of the event mask, Close's SetCommMask(h, 0) among them, ends the wait with
    // ERROR_OPERATION_ABORTED: no events, nothing to report.
    DWORD ignored;
    if (!calls.GetOverlappedResult(port, &waitOverlapped, &ignored, FALSE))
        return Wait::Nothing;
    return eventMask != 0 ? Wait::Events : Wait::Nothing;
}

// The OVERLAPPED and the mask stay in use until the pending wait is over. Returns false when it
// could not be ended; the run is then kept for good.
bool EventThreadRun::EndPendingWait()
{
    calls.CancelIoEx(port, &waitOverlapped);
    if (WaitEnded(kCancelGrace))
        return true;
    // Wine accepts the cancellation yet leaves a wait for comm events pending, and a wait issued
    // just after Close emptied the mask stays pending too: only a change of the mask ends it.
    // That is for a port that is being closed only.
    if (!running.Load()) {
        calls.SetCommMask(port, 0);
        if (WaitEnded(kCancelLimit))
            return true;
    }
    waitPending = true;
    return false;
}

bool EventThreadRun::WaitEnded(DWORD milliseconds)
{
    const HANDLE done = waitEvent.Get();
    return calls.WaitForMultipleObjects(1, &done, FALSE, milliseconds) == WAIT_OBJECT_0;
}

// Returns false when the wake-up reported nothing new: received bytes alone, with as many waiting
// as at the wake-up before and none read since. A host that reads each byte as it is announced
// has one waiting at every wake-up, each of them new.
bool EventThreadRun::Dispatch(DWORD mask)
{
    DWORD queued = 0;
    DWORD errors = 0;
    unsigned long readSoFar = 0;
    {
        // Copied under the lock: once it is released, an Open may reset errorFlags.
        CommPortEngine::OperationLock lock(engine);
        if (!lock)
            return true;
        calls.ClearCommError(port, &engine.errorFlags, &engine.comStat);
        queued = engine.comStat.cbInQue;
        errors = engine.errorFlags;
        readSoFar = engine.bytesReceived;
    }
    const bool news = mask != EV_RXCHAR || queued != lastQueued || readSoFar != lastReceived;
    lastQueued = queued;
    lastReceived = readSoFar;
    // After each hook: a hook may have closed the port, and this thread then ends at once.
    if (mask & EV_ERR) {
        engine.EventError(engine.comStat, errors);
        if (!running.Load())
            return news;
    }
    if (mask & kLineEvents) {
        DWORD modemStatus = 0;
        if (!calls.GetCommModemStatus(port, &modemStatus))
            modemStatus = 0;
        engine.EventLine(modemStatus);
        if (!running.Load())
            return news;
    }
    if (mask & EV_RXCHAR) {
        engine.EventRx(queued);
        if (!running.Load())
            return news;
    }
    if (mask & EV_TXEMPTY) {
        CommPortEngine::OperationLock lock(engine);
        if (lock)
            engine.EventTxEnd();
    }
    return news;
}
