// The object behind a MokacommPort*: a CCommLib whose hooks hand the port's events to the host in
// the way that it chose: callbacks, messages posted to its window, or the queue it waits on.
#ifndef MOKACOMM_C_PORT_H
#define MOKACOMM_C_PORT_H

#include "base/Win32.h"

#include "Mokacomm.h"
#include "MokacommC.h"
#include "cinterface/EventQueue.h"

struct MokacommPort final : public CCommLib {
public:
    struct Callbacks {
        MokacommRxCallback rx;
        MokacommLineCallback line;
        MokacommTxEndCallback txEnd;
        MokacommErrorCallback error;
        void* context;
    };

    // Throws as CCommLib's constructor does.
    MokacommPort(unsigned long outQueueSize, unsigned long inQueueSize);
    MokacommPort(const MokacommPort&) = delete;
    MokacommPort& operator=(const MokacommPort&) = delete;
    ~MokacommPort();

    // Each replaces the way chosen before, and is refused (false) while a port is open.
    bool UseCallbacks(const Callbacks& callbacks);
    bool UseWindow(HWND window, UINT message);
    bool UseQueue();
    // The queue while the events go to it, else null.
    EventQueue* Queue();

    void EventRx(unsigned long bytesInQueue) override;
    void EventLine(unsigned long modemStatus) override;
    void EventTxEnd() override;
    void EventError(COMSTAT& status, unsigned long errors) override;

private:
    enum class Way { None, Callbacks, Window, Queue };
    struct Delivery {
        Way way;
        Callbacks callbacks;
        HWND window;
        UINT message;
    };

    bool Choose(const Delivery& chosen);
    Delivery Chosen();
    // The event to the window or the queue, or `call` with the callbacks.
    template <class Call>
    void Deliver(DWORD kind, DWORD value, const COMSTAT& status, Call call);

    SRWLOCK deliveryLock = SRWLOCK_INIT;
    // Written by the host while no port is open, read by the hooks; under deliveryLock.
    Delivery delivery{};
    EventQueue queue;
};

#endif
