#include "RawEventLoop.h"

namespace {

constexpr DWORD kStopTries = 50;
constexpr DWORD kStopTryMs = 100;
constexpr DWORD kFailedWaitPauseMs = 10;

} // namespace

RawEventLoop::RawEventLoop(HANDLE port, std::function<void()> onRx) : state(new State)
{
    state->port = port;
    state->onRx = std::move(onRx);
    state->waitEvent = KernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    state->overlapped.hEvent = state->waitEvent.Get();
    thread = KernelHandle(CreateThread(nullptr, 0, Main, state.get(), 0, nullptr));
    if (thread)
        SetThreadPriority(thread.Get(), THREAD_PRIORITY_HIGHEST);
}

RawEventLoop::~RawEventLoop()
{
    if (!Stop()) {
        // The thread still uses the state, and so may Wine's wait behind it.
        state.release();
        thread.Release();
    }
}

DWORD WINAPI RawEventLoop::Main(void* parameter)
{
    auto* s = static_cast<State*>(parameter);
    while (s->running) {
        s->events = 0;
        if (!WaitCommEvent(s->port, &s->events, &s->overlapped)) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) {
                Sleep(kFailedWaitPauseMs);
                continue;
            }
            DWORD ignored = 0;
            // ERROR_OPERATION_ABORTED: the mask changed.
            if (!GetOverlappedResult(s->port, &s->overlapped, &ignored, TRUE))
                continue;
        }
        if ((s->events & EV_RXCHAR) && s->onRx)
            s->onRx();
    }
    return 0;
}

bool RawEventLoop::Stop()
{
    if (!thread)
        return true;
    state->running = false;
    // Changing the mask ends a pending wait, even one issued after the flag was cleared with the
    // mask already empty; under Wine CancelIoEx leaves such a wait pending.
    for (DWORD i = 0; i < kStopTries; ++i) {
        SetCommMask(state->port, 0);
        if (WaitForSingleObject(thread.Get(), kStopTryMs) == WAIT_OBJECT_0) {
            thread.Reset();
            return true;
        }
    }
    return false;
}
