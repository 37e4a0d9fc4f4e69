#include "engine/CommPortEngine.h"

#include "base/ScopeGuard.h"
#include "engine/CommEventThread.h"
#include "engine/ConstructionFailure.h"
#include "engine/SettingsMerge.h"

namespace {

using ERR = CCommLib::ERR;

// Every event except EV_RXFLAG.
constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK |
                             EV_ERR | EV_RING;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kStartWait = 2000;
constexpr DWORD kThreadWait = 10000;
// Every port is reached through it: without it only COM1 to COM9 resolve.
constexpr char kDevicePrefix[] = "\\\\.\\";

constexpr COMMTIMEOUTS kDefaultTimeouts = {
    MAXDWORD, // ReadIntervalTimeout
    0,        // ReadTotalTimeoutMultiplier
    1000,     // ReadTotalTimeoutConstant
    5,        // WriteTotalTimeoutMultiplier
    0,        // WriteTotalTimeoutConstant
};

// 19200 baud, 8 data bits, no parity, two stop bits; fBinary and fErrorChar set, no flow control,
// DTR and RTS held off.
DCB DefaultLineSettings()
{
    DCB d{};
    d.DCBlength = sizeof(DCB);
    d.BaudRate = CBR_19200;
    d.fBinary = 1;
    d.fDtrControl = DTR_CONTROL_DISABLE;
    d.fErrorChar = 1;
    d.fRtsControl = RTS_CONTROL_DISABLE;
    d.XonLim = 1024;
    d.XoffLim = 1024;
    d.ByteSize = 8;
    d.Parity = NOPARITY;
    d.StopBits = TWOSTOPBITS;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.ErrorChar = 0x00;
    d.EofChar = static_cast<char>(0xFF);
    d.EvtChar = 0x01;
    return d;
}

} // namespace

CommPortEngine::OperationLock::OperationLock(CommPortEngine& engine) : lock(engine.portLock)
{
    const EventThreadRun* run = EventThreadRun::Current();
    if (run && &run->engine == &engine) {
        held = lock.LockUnless(run->closerWaiting);
    } else {
        lock.Lock();
        held = true;
    }
}

CommPortEngine::OperationLock::~OperationLock()
{
    if (held)
        lock.Unlock();
}

CommPortEngine::CommPortEngine(unsigned long outQueueSize, unsigned long inQueueSize,
                               const PlatformCalls& calls)
    : calls(calls), references(1)
{
    startEvent = CreateEngineEvent(FALSE);
    readEvent = CreateEngineEvent(TRUE);
    writeEvent = CreateEngineEvent(TRUE);
    OperationLock lock(*this);
    this->outQueueSize = outQueueSize;
    this->inQueueSize = inQueueSize;
    ResetState();
}

KernelHandle CommPortEngine::CreateEngineEvent(BOOL manualReset)
{
    KernelHandle event(calls.CreateEventA(nullptr, manualReset, FALSE, nullptr), calls.CloseHandle);
    if (!event)
        ThrowConstructionFailure("CreateEventA", ::GetLastError());
    return event;
}

CommPortEngine::~CommPortEngine() = default;

void CommPortEngine::ResetState()
{
    comStat = COMSTAT{};
    readOverlapped = OVERLAPPED{};
    writeOverlapped = OVERLAPPED{};
    timeouts = kDefaultTimeouts;
    dcb = DefaultLineSettings();
    portHandle.Store(nullptr);
    threadId = 0;
    currentPort.Store(CCommLib::PORT_NONE);
    lastError.Store(0);
    errorFlags = 0;
    portName[0] = '\0';
    eventThread = nullptr;
    readOverlapped.hEvent = readEvent.Get();
    writeOverlapped.hEvent = writeEvent.Get();
}

void CommPortEngine::Retain()
{
    references.Add();
}

void CommPortEngine::Release()
{
    if (references.Drop())
        delete this;
}

void CommPortEngine::Dispose()
{
    ClosePort();
    Release();
}

ERR CommPortEngine::Open(PORT port)
{
    const int number = static_cast<int>(port);
    if (number < 0 || number >= kPortCount)
        return CCommLib::ERR_BAD_PORT;
    // currentPort changes together with the port, so no Close can come in between.
    OperationLock lock(*this);
    const ERR result = OpenByName(PortName(number));
    if (result == CCommLib::ERR_OK)
        currentPort.Store(port);
    return result;
}

ERR CommPortEngine::OpenByName(const char* name)
{
    OperationLock lock(*this);
    if (!lock || portHandle.Load())
        return CCommLib::ERR_ALREADY;
    currentPort.Store(CCommLib::PORT_NONE);
    portName[0] = '\0';

    char path[sizeof kDevicePrefix + kPortNameSize - 1];
    lstrcpynA(path, kDevicePrefix, sizeof path);
    lstrcpynA(path + sizeof kDevicePrefix - 1, name, kPortNameSize);
    FileHandle port(calls.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL,
                                      nullptr),
                    calls.CloseHandle);
    const DWORD openError = ::GetLastError();
    lastError.Store(openError);
    if (!port)
        return openError == ERROR_ALREADY_EXISTS ? CCommLib::ERR_EXISTS : CCommLib::ERR_OPEN_FAILED;

    const HANDLE h = port.Get();
    if (!calls.SetCommMask(h, kEventMask))
        return OpenFailed(CCommLib::ERR_SET_MASK);
    if (!calls.SetupComm(h, inQueueSize, outQueueSize))
        return OpenFailed(CCommLib::ERR_SETUP);
    if (!calls.PurgeComm(h, kPurgeAll))
        return OpenFailed(CCommLib::ERR_PURGE);
    if (!calls.SetCommTimeouts(h, &timeouts))
        return OpenFailed(CCommLib::ERR_TIMEOUTS);
    DCB current{};
    current.DCBlength = sizeof(DCB);
    if (!calls.GetCommState(h, &current))
        return OpenFailed(CCommLib::ERR_GET_STATE);
    current = MergeLineSettings(dcb, current);
    if (!calls.SetCommState(h, &current))
        return OpenFailed(CCommLib::ERR_SET_STATE);
    dcb = current;
    return StartEventThread(port, name);
}

// Records the error of the step that just failed; the caller's handle owner then closes the port.
ERR CommPortEngine::OpenFailed(ERR code)
{
    lastError.Store(::GetLastError());
    return code;
}

ERR CommPortEngine::StartEventThread(FileHandle& port, const char* name)
{
    EventThreadRun* run = EventThreadRun::Create(*this, port.Get(), calls);
    if (!run)
        return OpenFailed(CCommLib::ERR_THREAD);
    // A start signal that came after an earlier Open stopped waiting must not release this one.
    calls.ResetEvent(startEvent.Get());
    Retain(); // the thread's reference
    // Until the thread runs, the references meant for it are given back: its own and the
    // engine's to the run, and its own to the engine.
    ScopeGuard unstarted([&] {
        run->Release();
        run->Release();
        Release();
    });
    DWORD id = 0;
    threadHandle = KernelHandle(calls.CreateThread(nullptr, 0, CommEventThread, run, 0, &id),
                                calls.CloseHandle);
    if (!threadHandle)
        return OpenFailed(CCommLib::ERR_THREAD);
    unstarted.Dismiss();

    errorFlags = 0;
    portFile = static_cast<FileHandle&&>(port); // moved: the port is the engine's from here on
    portHandle.Store(portFile.Get());
    threadId = id;
    eventThread = run;
    lstrcpynA(portName, name, sizeof portName);

    if (!calls.SetThreadPriority(threadHandle.Get(), THREAD_PRIORITY_HIGHEST)) {
        lastError.Store(::GetLastError());
        StopEventThread();
        portHandle.Store(nullptr);
        portFile.Reset();
        portName[0] = '\0';
        return CCommLib::ERR_THREAD;
    }
    calls.WaitForSingleObject(startEvent.Get(), kStartWait);
    return CCommLib::ERR_OK;
}

ERR CommPortEngine::Close()
{
    return ClosePort();
}

ERR CommPortEngine::ClosePort()
{
    OperationLock lock(*this);
    if (!lock || !portHandle.Load())
        return CCommLib::ERR_ALREADY;
    ERR result = StopEventThread();
    // GetHandle reads the copy without the lock: it must never hand out a handle that is closed
    // already, and that the system may have given to another object meanwhile.
    portHandle.Store(nullptr);
    if (!portFile.Close()) {
        lastError.Store(::GetLastError());
        result = CCommLib::ERR_SYSTEM;
    }
    currentPort.Store(CCommLib::PORT_NONE);
    portName[0] = '\0';
    return result;
}

// Ends the open port's event thread (under portLock) and tells how the wait for it went.
ERR CommPortEngine::StopEventThread()
{
    eventThread->RequestStop();
    calls.SetCommMask(portHandle.Load(), 0);

    ERR result = CCommLib::ERR_OK;
    if (threadId == ::GetCurrentThreadId()) {
        // Called from one of this port's hooks: the thread cannot be waited for here. It ends as
        // soon as the hook returns.
        result = CCommLib::ERR_THREAD_TIMEOUT;
    } else {
        eventThread->closerWaiting.Store(true);
        portLock.Interrupt();
        switch (calls.WaitForSingleObject(threadHandle.Get(), kThreadWait)) {
        case WAIT_OBJECT_0:
            break;
        case WAIT_ABANDONED:
            result = CCommLib::ERR_THREAD_ABANDONED;
            break;
        case WAIT_TIMEOUT:
            result = CCommLib::ERR_THREAD_TIMEOUT;
            break;
        default:
            result = CCommLib::ERR_THREAD_WAIT;
            break;
        }
        // A thread that outlives the wait may take the lock like any other once this Close is over.
        eventThread->closerWaiting.Store(false);
    }
    threadHandle.Reset();
    threadId = 0;
    eventThread->Release();
    eventThread = nullptr;
    return result;
}

CCommLib::PORT CommPortEngine::GetPort()
{
    return currentPort.Load();
}

HANDLE CommPortEngine::GetHandle()
{
    return portHandle.Load();
}

unsigned long CommPortEngine::GetLastError()
{
    return lastError.Load();
}

const char* CommPortEngine::GetPortName()
{
    return portName[0] != '\0' ? portName : nullptr;
}

const PlatformCalls& CommPortEngine::Calls()
{
    return calls;
}

void CommPortEngine::EventRx(unsigned long) {}
void CommPortEngine::EventLine(unsigned long) {}
void CommPortEngine::EventTxEnd() {}
void CommPortEngine::EventError(COMSTAT&, unsigned long) {}
