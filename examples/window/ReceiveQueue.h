// Received bytes on their way from the port's event thread to the window's thread. The event
// thread puts what it read and tells the window once; the window takes everything when it gets
// round to it. What does not fit while the window is busy is counted, not kept.
#ifndef MOKACOMM_WINDOW_RECEIVE_QUEUE_H
#define MOKACOMM_WINDOW_RECEIVE_QUEUE_H

#include <windows.h>

class ReceiveQueue {
public:
    static const unsigned long kCapacity = 16384;

    ReceiveQueue();
    ReceiveQueue(const ReceiveQueue&) = delete;
    ReceiveQueue& operator=(const ReceiveQueue&) = delete;

    // Event thread. True when the window has to be told: nothing was waiting for it yet.
    bool Put(const char* data, unsigned long length);
    // Window thread. Moves everything waiting into `out` (kCapacity bytes) and returns its
    // length; `lost` gets the number of bytes dropped since the last call.
    unsigned long Take(char* out, unsigned long* lost);

private:
    SRWLOCK lock;
    // All three are written under `lock`, by the event thread (Put) and the window thread (Take).
    char bytes[kCapacity];
    unsigned long count;
    unsigned long dropped;
};

#endif
