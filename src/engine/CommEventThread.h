// The event thread of an open port: it waits for the port's events and reports them through the
// engine's four event operations.
#ifndef MOKACOMM_COMM_EVENT_THREAD_H
#define MOKACOMM_COMM_EVENT_THREAD_H

#include "base/Win32.h"

#include "base/Atomic.h"
#include "base/Handles.h"
#include "engine/PlatformCalls.h"

class CommPortEngine;

// The thread procedure. Its parameter is the EventThreadRun that Open made for it.
DWORD WINAPI CommEventThread(void* run);

// The state of one run of the event thread, apart from the engine: a hook may close the port and
// open it again, and the old thread must then end on its own state, never acting on the new port.
// The engine and the thread hold one reference each.
class EventThreadRun {
public:
    // Null when its events cannot be created; ::GetLastError() then says why.
    static EventThreadRun* Create(CommPortEngine& engine, HANDLE port, const PlatformCalls& calls);
    // The run of the calling thread, or null when the caller is no event thread.
    static EventThreadRun* Current();

    void Release();
    // Asks the thread to end: its waits for events, for the port lock and between retries return.
    void RequestStop();

    CommPortEngine& engine;
    // True until the thread is asked to end; it is never set again.
    Atomic<bool> running{true};
    // True while a Close holds the port lock and waits for this thread to end: the thread's own
    // waits for the lock then give up. Written by that Close.
    Atomic<bool> closerWaiting{false};

private:
    friend DWORD WINAPI CommEventThread(void* run);

    EventThreadRun(CommPortEngine& engine, HANDLE port, const PlatformCalls& calls,
                   KernelHandle&& stopEvent, KernelHandle&& waitEvent);
    ~EventThreadRun() = default;

    enum class Wait { Events, Nothing, Stuck };

    void Main();
    void AnnounceStart();
    void Loop();
    Wait WaitForEvents();
    bool EndPendingWait();
    bool WaitEnded(DWORD milliseconds);
    void Pause(DWORD milliseconds);
    bool Dispatch(DWORD mask);

    const HANDLE port; // the port as it was when the thread started
    const PlatformCalls& calls;
    KernelHandle stopEvent; // manual-reset, set by RequestStop
    KernelHandle waitEvent; // waitOverlapped.hEvent
    OVERLAPPED waitOverlapped{};
    DWORD eventMask = 0;      // written by WaitCommEvent, possibly after it returned pending
    bool waitPending = false; // a wait that did not end when cancelled
    bool announced = false;   // the start event was set
    DWORD lastQueued = 0;     // bytes waiting at the last wake-up
    unsigned long lastReceived = 0; // the engine's bytesReceived then
    RefCount references{2};
};

#endif
