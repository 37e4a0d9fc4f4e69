// A thread blocked in an overlapped WaitCommEvent, with nothing else around it: the baseline for
// the latency and the idle cost of the library's event thread.
#ifndef MOKACOMM_BENCH_RAW_EVENT_LOOP_H
#define MOKACOMM_BENCH_RAW_EVENT_LOOP_H

#include <atomic>
#include <functional>
#include <memory>

#include "base/Handles.h"

class RawEventLoop {
public:
    // Starts the thread at THREAD_PRIORITY_HIGHEST, as the library starts its event thread;
    // onRx runs on that thread after each wait that reports EV_RXCHAR.
    RawEventLoop(HANDLE port, std::function<void()> onRx);
    RawEventLoop(const RawEventLoop&) = delete;
    RawEventLoop& operator=(const RawEventLoop&) = delete;
    ~RawEventLoop();

    bool Started() const { return static_cast<bool>(thread); }
    // Ends the thread and leaves the port's event mask empty. False when it did not end.
    bool Stop();

private:
    // What the thread and a pending wait use: left allocated if the thread never ends.
    struct State {
        HANDLE port;
        std::function<void()> onRx;
        std::atomic<bool> running{true};
        KernelHandle waitEvent;
        OVERLAPPED overlapped{};
        DWORD events = 0;
    };
    static DWORD WINAPI Main(void* state);

    std::unique_ptr<State> state;
    KernelHandle thread;
};

#endif
