// The moment an event thread saw a byte, handed to the thread that wrote it.
#ifndef MOKACOMM_BENCH_ARRIVAL_H
#define MOKACOMM_BENCH_ARRIVAL_H

#include <atomic>

#include "Clock.h"
#include "base/Handles.h"

class Arrival {
public:
    // Before each byte: only the first Mark after it counts.
    void Arm()
    {
        ResetEvent(done.Get());
        armed = true;
    }
    // On the event thread, first thing when it sees the byte.
    void Mark()
    {
        if (armed.exchange(false))
            at = NowMs();
    }
    // On the event thread, once the byte has been read: the next one may come.
    void Signal() { SetEvent(done.Get()); }
    // The time of the Mark; false when no Signal came within timeoutMs, or one came unmarked.
    bool Wait(DWORD timeoutMs, double* when)
    {
        if (WaitForSingleObject(done.Get(), timeoutMs) != WAIT_OBJECT_0 || armed)
            return false;
        *when = at;
        return true;
    }

private:
    KernelHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> armed{false};
    std::atomic<double> at{0};
};

#endif
