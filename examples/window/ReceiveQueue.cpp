#include "ReceiveQueue.h"

namespace {

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& held) : lock(held) { AcquireSRWLockExclusive(&lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock); }

private:
    SRWLOCK& lock;
};

} // namespace

ReceiveQueue::ReceiveQueue() : count(0), dropped(0)
{
    InitializeSRWLock(&lock);
}

bool ReceiveQueue::Put(const char* data, unsigned long length)
{
    const ExclusiveLock guard(lock);
    // The window takes everything at once, so a non-empty queue means a notice is on its way.
    const bool tell = count == 0;
    const unsigned long room = kCapacity - count;
    const unsigned long kept = length < room ? length : room;
    CopyMemory(bytes + count, data, kept);
    count += kept;
    dropped += length - kept;
    return tell;
}

unsigned long ReceiveQueue::Take(char* out, unsigned long* lost)
{
    const ExclusiveLock guard(lock);
    const unsigned long taken = count;
    CopyMemory(out, bytes, taken);
    *lost = dropped;
    count = 0;
    dropped = 0;
    return taken;
}
