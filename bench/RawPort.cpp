#include "RawPort.h"

namespace {

// CCommLib::Open's values, repeated here on purpose: this is the library's call sequence written
// out by hand, so that the two can be compared.
constexpr DWORD kEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK |
                             EV_ERR | EV_RING;
constexpr DWORD kQueueSize = 1024; // CCommLib's default for both queues
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr COMMTIMEOUTS kTimeouts = {MAXDWORD, 0, 1000, 5, 0};

KernelHandle ManualResetEvent()
{
    return KernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

// After a transfer that did not complete at once. On failure GetLastError() still tells why.
bool Complete(HANDLE port, DWORD error, OVERLAPPED* overlapped, DWORD* done)
{
    if (error != ERROR_IO_PENDING)
        return false;
    return GetOverlappedResult(port, overlapped, done, TRUE) != FALSE;
}

} // namespace

RawPort::RawPort(int com, const DCB& settings)
    : readEvent(ManualResetEvent()), writeEvent(ManualResetEvent())
{
    readOverlapped.hEvent = readEvent.Get();
    writeOverlapped.hEvent = writeEvent.Get();
    const std::string path = "\\\\.\\COM" + std::to_string(com);
    FileHandle port(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!port) {
        Fail("CreateFileA", GetLastError());
        return;
    }
    if (Configure(port.Get(), settings))
        handle = std::move(port);
}

bool RawPort::Configure(HANDLE h, const DCB& settings)
{
    if (!SetCommMask(h, kEventMask))
        return Fail("SetCommMask", GetLastError());
    if (!SetupComm(h, kQueueSize, kQueueSize))
        return Fail("SetupComm", GetLastError());
    if (!PurgeComm(h, kPurgeAll))
        return Fail("PurgeComm", GetLastError());
    COMMTIMEOUTS timeouts = kTimeouts;
    if (!SetCommTimeouts(h, &timeouts))
        return Fail("SetCommTimeouts", GetLastError());
    DCB current{};
    current.DCBlength = sizeof current;
    if (!GetCommState(h, &current))
        return Fail("GetCommState", GetLastError());
    DCB applied = settings;
    if (!SetCommState(h, &applied))
        return Fail("SetCommState", GetLastError());
    return true;
}

bool RawPort::Fail(const char* step, DWORD code)
{
    error = std::string(step) + " failed with error " + std::to_string(code);
    return false;
}

bool RawPort::Write(const void* data, DWORD length, DWORD* done)
{
    const HANDLE h = handle.Get();
    if (WriteFile(h, data, length, done, &writeOverlapped))
        return true;
    return Complete(h, GetLastError(), &writeOverlapped, done);
}

bool RawPort::Read(void* data, DWORD length, DWORD* done)
{
    const HANDLE h = handle.Get();
    if (ReadFile(h, data, length, done, &readOverlapped))
        return true;
    return Complete(h, GetLastError(), &readOverlapped, done);
}

DWORD RawPort::InQueue()
{
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(handle.Get(), &errors, &status) ? status.cbInQue : 0;
}
