// The window host's port. Its hooks run on the library's event thread, which must not touch the
// window: each hook posts what it learnt to the window, and received bytes wait in a queue that
// the window's thread empties.
#ifndef MOKACOMM_WINDOW_PORT_H
#define MOKACOMM_WINDOW_PORT_H

#include <windows.h>

#include "Mokacomm.h"
#include "ReceiveQueue.h"

// Posted to the window by the event thread.
const UINT WM_PORT_RECEIVED = WM_APP + 1; // bytes wait in the queue (TakeReceived)
const UINT WM_PORT_LINES = WM_APP + 2;    // wParam: the modem status word (MS_*_ON)
const UINT WM_PORT_ERRORS = WM_APP + 3;   // wParam: the line errors (CE_*)

class WindowPort : public CCommLib {
public:
    WindowPort();
    // The hooks use this object's members: the port closes while they are still here.
    ~WindowPort();

    // The window to post to. Set before a port is first opened, while no hook can run.
    void PostTo(HWND target) { window = target; }
    // Window thread: received bytes, oldest first (see ReceiveQueue::Take).
    unsigned long TakeReceived(char* out, unsigned long size, unsigned long* lost)
    {
        return received.Take(out, size, lost);
    }

    void EventRx(unsigned long bytesInQueue) override;
    void EventLine(unsigned long modemStatus) override;
    void EventError(COMSTAT& status, unsigned long errors) override;

private:
    HWND window;
    ReceiveQueue received;
};

#endif
