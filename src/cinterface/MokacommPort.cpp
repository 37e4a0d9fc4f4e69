#include "cinterface/MokacommPort.h"

#include "base/SrwGuard.h"

MokacommPort::MokacommPort(unsigned long outQueueSize, unsigned long inQueueSize)
    : CCommLib(outQueueSize, inQueueSize)
{
}

// The hooks use this object's members, and the base class would close the port only after they
// are gone. Called from one of the port's own callbacks, Close returns at once with the port
// closed, and the hook that called the callback touches nothing of this object afterwards.
MokacommPort::~MokacommPort()
{
    Close();
}

// Once a Close has returned no hook runs any more, so a host may then let go of what the way it
// replaces used: its callbacks' context, its window.
bool MokacommPort::Choose(const Delivery& chosen)
{
    if (GetHandle())
        return false;
    SrwGuard guard(deliveryLock);
    delivery = chosen;
    return true;
}

bool MokacommPort::UseCallbacks(const Callbacks& callbacks)
{
    return Choose(Delivery{Way::Callbacks, callbacks, nullptr, 0});
}

bool MokacommPort::UseWindow(HWND window, UINT message)
{
    return Choose(Delivery{Way::Window, Callbacks{}, window, message});
}

bool MokacommPort::UseQueue()
{
    if (!Choose(Delivery{Way::Queue, Callbacks{}, nullptr, 0}))
        return false;
    queue.Clear();
    return true;
}

EventQueue* MokacommPort::Queue()
{
    return Chosen().way == Way::Queue ? &queue : nullptr;
}

MokacommPort::Delivery MokacommPort::Chosen()
{
    SrwGuard guard(deliveryLock, SrwGuard::Mode::Shared);
    return delivery;
}

// A callback is the last thing that a hook does: it may destroy this object.
template <class Call>
void MokacommPort::Deliver(DWORD kind, DWORD value, const COMSTAT& status, Call call)
{
    const Delivery chosen = Chosen();
    if (chosen.way == Way::Callbacks)
        call(chosen.callbacks);
    else if (chosen.way == Way::Window)
        PostMessageW(chosen.window, chosen.message, kind, value);
    else if (chosen.way == Way::Queue)
        queue.Push(kind, value, status);
}

void MokacommPort::EventRx(unsigned long bytesInQueue)
{
    Deliver(MOKACOMM_EVENT_RX, bytesInQueue, COMSTAT{}, [=](const Callbacks& c) {
        if (c.rx)
            c.rx(c.context, bytesInQueue);
    });
}

void MokacommPort::EventLine(unsigned long modemStatus)
{
    Deliver(MOKACOMM_EVENT_LINE, modemStatus, COMSTAT{}, [=](const Callbacks& c) {
        if (c.line)
            c.line(c.context, modemStatus);
    });
}

void MokacommPort::EventTxEnd()
{
    Deliver(MOKACOMM_EVENT_TX_END, 0, COMSTAT{}, [](const Callbacks& c) {
        if (c.txEnd)
            c.txEnd(c.context);
    });
}

// The engine's record may change under a failed transfer on another thread: the host gets a copy.
void MokacommPort::EventError(COMSTAT& status, unsigned long errors)
{
    const COMSTAT copy = status;
    Deliver(MOKACOMM_EVENT_ERROR, errors, copy, [&copy, errors](const Callbacks& c) {
        if (c.error)
            c.error(c.context, &copy, errors);
    });
}
