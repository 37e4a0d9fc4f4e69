// The queue of a port's events for a host that waits for them (MokacommWaitEvent): filled by the
// event thread, which never waits for room in it, and emptied by the host's threads.
#ifndef MOKACOMM_EVENT_QUEUE_H
#define MOKACOMM_EVENT_QUEUE_H

#include "base/Win32.h"

#include "MokacommC.h"

class EventQueue {
public:
    EventQueue() = default;
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;

    // Adds an event; when the queue is full, the event is dropped and counted instead.
    void Push(DWORD kind, DWORD value, const COMSTAT& status);
    // Moves the oldest event into `event`'s kind, value and status, waiting up to `timeout` ms
    // (INFINITE: for ever) for one; false when none came.
    bool Take(DWORD timeout, MOKACOMM_EVENT& event);
    // Empty, with no drops counted.
    void Clear();

private:
    struct Record {
        DWORD kind;
        DWORD value;
        COMSTAT status;
    };

    void Store(const Record& record);

    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE arrived = CONDITION_VARIABLE_INIT;
    // All under `lock`.
    Record records[MOKACOMM_QUEUE_SIZE];
    DWORD first = 0; // the oldest record
    DWORD count = 0;
    DWORD dropped = 0; // since the last record stored
};

#endif
