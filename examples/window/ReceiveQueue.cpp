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

ReceiveQueue::ReceiveQueue()
    : bytes(static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, kCapacity))),
      capacity(bytes ? kCapacity : 0), count(0), dropped(0)
{
    InitializeSRWLock(&lock);
}

ReceiveQueue::~ReceiveQueue()
{
    if (bytes)
        HeapFree(GetProcessHeap(), 0, bytes);
}

bool ReceiveQueue::Put(const char* data, unsigned long length)
{
    const ExclusiveLock guard(lock);
    // The window takes until the queue is empty, so bytes waiting mean a notice is on its way.
    const bool tell = count == 0 && dropped == 0;
    const unsigned long room = capacity - count;
    const unsigned long kept = length < room ? length : room;
    CopyMemory(bytes + count, data, kept);
    count += kept;
    dropped += length - kept;
    return tell;
}

unsigned long ReceiveQueue::Take(char* out, unsigned long size, unsigned long* lost)
{
    const ExclusiveLock guard(lock);
    const unsigned long taken = count < size ? count : size;
    CopyMemory(out, bytes, taken);
    MoveMemory(bytes, bytes + taken, count - taken);
    count -= taken;
    *lost = 0;
    if (count == 0) {
        *lost = dropped;
        dropped = 0;
    }
    return taken;
}
