// The engine's one lock.
//
// It is recursive because EventTxEnd runs while the event thread holds it, and a host may call
// Send (or any other operation) from that hook. It is in-process (a slim reader/writer lock with a
// condition variable): a kernel mutex costs a round trip to Wine's server on every take.
//
// Close holds the lock while it waits for the event thread, so the event thread's own waits for it
// must be able to give up: LockUnless returns false once the flag it watches turns true and
// Interrupt has been called, instead of waiting for a lock that Close will not release in time.
#ifndef MOKACOMM_PORT_LOCK_H
#define MOKACOMM_PORT_LOCK_H

#include "base/Win32.h"

#include "base/Atomic.h"

class PortLock {
public:
    PortLock() = default;
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    void Lock();
    bool LockUnless(const Atomic<bool>& giveUp);
    void Unlock();
    // Wakes every waiter so that LockUnless callers look at their flags again.
    void Interrupt();

private:
    bool Acquire(const Atomic<bool>* giveUp);

    SRWLOCK state = SRWLOCK_INIT;
    CONDITION_VARIABLE released = CONDITION_VARIABLE_INIT;
    // All three under `state`.
    DWORD owner = 0;
    unsigned long depth = 0;
    unsigned long waiters = 0;
};

#endif
