#include "cinterface/EventQueue.h"

#include "base/SrwGuard.h"

void EventQueue::Push(DWORD kind, DWORD value, const COMSTAT& status)
{
    {
        SrwGuard guard(lock);
        // The drops are reported where they happened: an overflow record goes before the next
        // event stored, which then needs room for both.
        const DWORD needed = dropped != 0 ? 2 : 1;
        if (MOKACOMM_QUEUE_SIZE - count < needed) {
            ++dropped;
            return;
        }
        if (dropped != 0) {
            Store(Record{MOKACOMM_EVENT_OVERFLOW, dropped, COMSTAT{}});
            dropped = 0;
        }
        Store(Record{kind, value, status});
    }
    WakeAllConditionVariable(&arrived);
}

void EventQueue::Store(const Record& record)
{
    records[(first + count) % MOKACOMM_QUEUE_SIZE] = record;
    ++count;
}

bool EventQueue::Take(DWORD timeout, MOKACOMM_EVENT& event)
{
    const ULONGLONG deadline = GetTickCount64() + timeout;
    SrwGuard guard(lock);
    while (count == 0 && dropped == 0) {
        DWORD wait = INFINITE;
        if (timeout != INFINITE) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline)
                return false;
            wait = static_cast<DWORD>(deadline - now);
        }
        guard.Wait(arrived, wait);
    }
    Record taken{MOKACOMM_EVENT_OVERFLOW, dropped, COMSTAT{}};
    if (count != 0) {
        taken = records[first];
        first = (first + 1) % MOKACOMM_QUEUE_SIZE;
        --count;
    } else {
        // The host took every record while more came than fitted: the drops are the newest news.
        dropped = 0;
    }
    event.kind = taken.kind;
    event.value = taken.value;
    event.status = taken.status;
    return true;
}

void EventQueue::Clear()
{
    SrwGuard guard(lock);
    first = 0;
    count = 0;
    dropped = 0;
}
