// The engine behind every CCommLib: the port handle, the stored settings, the lock and the event
// thread, and every port operation.
#ifndef MOKACOMM_COMM_PORT_ENGINE_H
#define MOKACOMM_COMM_PORT_ENGINE_H

#include "base/Win32.h"

#include "Mokacomm.h"
#include "base/Atomic.h"
#include "base/Handles.h"
#include "engine/PlatformCalls.h"
#include "engine/PortLock.h"
#include "interface/PortNames.h"

class EventThreadRun;

class CommPortEngine {
public:
    using PORT = CCommLib::PORT;
    using ERR = CCommLib::ERR;

    // Throws std::runtime_error when the platform refuses the engine's events.
    CommPortEngine(unsigned long outQueueSize, unsigned long inQueueSize,
                   const PlatformCalls& calls = RealPlatformCalls());
    CommPortEngine(const CommPortEngine&) = delete;
    CommPortEngine& operator=(const CommPortEngine&) = delete;

    // Counted references: the creator holds one and each running event thread another, so that a
    // thread that outlives its Close (Close called from a hook, or a Close that stopped waiting)
    // still returns into a live engine. The last Release destroys the engine.
    void Retain();
    void Release();
    // The creator's end: closes an open port (which ends its event thread; the result is dropped)
    // and gives up the creator's reference.
    void Dispose();

    ERR Open(PORT port);
    ERR Close();

    bool Receive(char* buffer, unsigned long length, unsigned long* received);
    ERR Send(const char* text);
    ERR Send(const void* data, unsigned long length, unsigned long* written);
    ERR SetDCB(const DCB& settings);
    const DCB& GetDCB();
    unsigned long GetLineStat();
    ERR SetLineStat(unsigned long function);

    // The two dialog operations are defined with the dialogs, in src/dialogs/SelectPort.cpp and
    // src/dialogs/SettingDlg.cpp: the dialogs build on the engine, which knows no window.
    void SelectPort();
    void SettingDlg();

    PORT GetPort();
    HANDLE GetHandle();
    unsigned long GetLastError();
    // The open port's name ("COM3"), or null while no port is open.
    const char* GetPortName();
    const PlatformCalls& Calls();

    // Called on the event thread; these do nothing.
    virtual void EventRx(unsigned long bytesInQueue);
    virtual void EventLine(unsigned long modemStatus);
    virtual void EventTxEnd();
    virtual void EventError(COMSTAT& status, unsigned long errors);

protected:
    virtual ~CommPortEngine();
    ERR ClosePort();

private:
    friend class EventThreadRun;

    // Held by every port operation. On an event thread that a Close holding the lock waits for,
    // the wait for it gives up instead, and the operation then acts as on a closed port.
    class OperationLock {
    public:
        explicit OperationLock(CommPortEngine& engine);
        OperationLock(const OperationLock&) = delete;
        OperationLock& operator=(const OperationLock&) = delete;
        ~OperationLock();
        explicit operator bool() const { return held; }

    private:
        PortLock& lock;
        bool held;
    };

    KernelHandle CreateEngineEvent(BOOL manualReset);
    void ResetState();
    ERR OpenByName(const char* name);
    ERR OpenFailed(ERR code);
    ERR StartEventThread(FileHandle& port, const char* name);
    ERR StopEventThread();
    bool Read(char* buffer, unsigned long length, unsigned long* received);
    bool AwaitTransfer(OVERLAPPED& overlapped, DWORD* transferred);
    void ClearPortErrors(HANDLE port);

    // Threads: "host" is any application thread, "event" the port's event thread.
    KernelHandle startEvent;          // set by the event thread once it runs; Open waits on it
    PortLock portLock;
    COMSTAT comStat;                  // written under portLock (event thread, failed transfers)
    OVERLAPPED readOverlapped;        // Receive's; used under portLock
    OVERLAPPED writeOverlapped;       // Send's; used under portLock
    COMMTIMEOUTS timeouts;
    DCB dcb;                          // written under portLock; GetDCB reads it without
    FileHandle portFile;              // the open port; under portLock
    Atomic<HANDLE> portHandle;        // portFile's handle, null while no port is open: written with
                                      // it under portLock (cleared before the handle is closed),
                                      // read without the lock by the accessors
    KernelHandle threadHandle;        // the open port's event thread; under portLock
    DWORD threadId;                   // under portLock
    Atomic<PORT> currentPort;         // written under portLock; accessors read it without
    DWORD inQueueSize;
    DWORD outQueueSize;
    Atomic<DWORD> lastError;          // written under portLock; GetLastError reads it without
    DWORD errorFlags;                 // written by the event thread under portLock
    unsigned long bytesReceived = 0;  // under portLock: all that Receive has read
    char portName[kPortNameSize];     // under portLock; empty while no port is open
    EventThreadRun* eventThread;      // under portLock: the open port's thread run
    KernelHandle readEvent;           // readOverlapped.hEvent
    KernelHandle writeEvent;          // writeOverlapped.hEvent
    const PlatformCalls calls;        // the engine's own copy
    RefCount references;
};

#endif
