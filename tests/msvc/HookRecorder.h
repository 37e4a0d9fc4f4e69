// A host class of the Microsoft-ABI build that overrides all four hooks and records what the
// library's event thread hands them.
#ifndef MOKACOMM_MSVC_HOOK_RECORDER_H
#define MOKACOMM_MSVC_HOOK_RECORDER_H

#include "base/Win32.h"

#include "Mokacomm.h"

class HookRecorder : public CCommLib {
public:
    enum Hook { Rx, Line, TxEnd, Error, kHooks };

    // The hooks use this object's members, so the port closes before they go.
    ~HookRecorder() { Close(); }

    void EventRx(unsigned long bytesInQueue) override;
    void EventLine(unsigned long modemStatus) override;
    void EventTxEnd() override;
    void EventError(COMSTAT& status, unsigned long errors) override;

    // EventRx reads what it is told of, unless told not to.
    void ReadInHook(bool read);
    // EventRx closes the port instead, which the library allows though the README advises against.
    void CloseInHook();
    // Waits up to 5 s for a call of `hook` since the last Clear.
    bool WaitForCall(Hook hook);
    // Waits until no hook runs and the event thread's next wait is pending. Wine's WaitCommEvent
    // sees only what changes after it began, and begins by starting a thread of its own that
    // polls the port: a line change or error made before that is lost.
    bool WaitForNextWait();
    // Forgets what the hooks saw.
    void Clear();

    // What the hooks saw since the last Clear, read under the recorder's lock.
    struct Record {
        LONG calls[kHooks];
        DWORD threads[kHooks];       // the thread of each hook's last call
        bool otherThread;            // not every hook ran on the same thread
        unsigned long modemStatus;   // EventLine's last argument
        unsigned long queued;        // EventRx's last argument
        COMSTAT status;              // EventError's last status
        COMSTAT statusAfter;         // the port's own status, read in the same call
        char received[64];           // what EventRx read, NUL-terminated
        bool closedInHook;           // EventRx called Close, which returned closeResult
        ERR closeResult;
        ULONGLONG closeMs;           // how long that Close took
    };
    Record Recorded();

private:
    class Lock;
    void Called(Hook hook);
    void Returned();

    SRWLOCK lock = SRWLOCK_INIT;
    Record record = {};
    bool read = true;
    bool close = false;
    int running = 0;
    ULONGLONG lastReturn = 0; // FILETIME units
};

#endif
