// Received bytes on their way from the port's event thread to the window's thread. The event
// thread puts what it read and tells the window once; the window takes until the queue is empty.
// What does not fit while the window is busy is counted, not kept.
#ifndef MOKACOMM_WINDOW_RECEIVE_QUEUE_H
#define MOKACOMM_WINDOW_RECEIVE_QUEUE_H

#include <windows.h>

class ReceiveQueue {
public:
    // The bytes are kept on the heap: an object this size on a stack frame would need the
    // stack probes of a C runtime.
    ReceiveQueue();
    ReceiveQueue(const ReceiveQueue&) = delete;
    ReceiveQueue& operator=(const ReceiveQueue&) = delete;
    ~ReceiveQueue();

    // Event thread. True when the window has to be told: nothing was waiting for it yet.
    bool Put(const char* data, unsigned long length);
    // Window thread. Moves up to `size` of the oldest bytes into `out` and returns how many; when
    // that empties the queue, `lost` gets the number of bytes dropped since it was last emptied.
    unsigned long Take(char* out, unsigned long size, unsigned long* lost);

private:
    static const unsigned long kCapacity = 16384;

    SRWLOCK lock;
    // `bytes` is set once; the rest is written under `lock`, by the event thread (Put) and the
    // window thread (Take).
    char* bytes;
    unsigned long capacity; // 0 when the heap refused the bytes: everything is counted as lost
    unsigned long count;
    unsigned long dropped;
};

#endif
