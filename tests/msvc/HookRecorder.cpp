#include "HookRecorder.h"

#include <string.h>
#include <tlhelp32.h>

#include "Check.h"

class HookRecorder::Lock {
public:
    explicit Lock(SRWLOCK& lock) : lock(lock) { AcquireSRWLockExclusive(&lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { ReleaseSRWLockExclusive(&lock); }

private:
    SRWLOCK& lock;
};

namespace {

ULONGLONG Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Whether this process has a thread that was started after `since`.
bool ThreadStartedAfter(ULONGLONG since)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more && !found;
         more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            found = ((static_cast<ULONGLONG>(created.dwHighDateTime) << 32) |
                     created.dwLowDateTime) > since;
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return found;
}

} // namespace

void HookRecorder::EventRx(unsigned long bytesInQueue)
{
    Called(Rx);
    bool readNow;
    bool closeNow;
    {
        Lock guard(lock);
        record.queued = bytesInQueue;
        readNow = read;
        closeNow = close && !record.closedInHook;
    }
    if (closeNow) {
        const ULONGLONG start = GetTickCount64();
        const ERR result = Close();
        Lock guard(lock);
        record.closedInHook = true;
        record.closeResult = result;
        record.closeMs = GetTickCount64() - start;
        readNow = false;
    }
    char buffer[sizeof record.received];
    unsigned long got = 0;
    if (readNow && bytesInQueue < sizeof buffer && Receive(buffer, bytesInQueue, &got)) {
        Lock guard(lock);
        const size_t length = strlen(record.received);
        const size_t room = sizeof record.received - 1 - length;
        memcpy(record.received + length, buffer, got < room ? got : room);
    }
    Returned();
}

void HookRecorder::EventLine(unsigned long modemStatus)
{
    Called(Line);
    {
        Lock guard(lock);
        record.modemStatus = modemStatus;
    }
    Returned();
}

void HookRecorder::EventTxEnd()
{
    Called(TxEnd);
    Returned();
}

void HookRecorder::EventError(COMSTAT& status, unsigned long)
{
    Called(Error);
    COMSTAT after = {};
    DWORD errors = 0;
    ClearCommError(GetHandle(), &errors, &after);
    {
        Lock guard(lock);
        record.status = status;
        record.statusAfter = after;
    }
    Returned();
}

void HookRecorder::ReadInHook(bool readNow)
{
    Lock guard(lock);
    read = readNow;
}

void HookRecorder::CloseInHook()
{
    Lock guard(lock);
    close = true;
}

bool HookRecorder::WaitForCall(Hook hook)
{
    return Eventually([&] { return Recorded().calls[hook] > 0; });
}

bool HookRecorder::WaitForNextWait()
{
    return Eventually([&] {
        ULONGLONG since;
        {
            Lock guard(lock);
            if (running != 0)
                return false;
            since = lastReturn;
        }
        return ThreadStartedAfter(since);
    });
}

void HookRecorder::Clear()
{
    Lock guard(lock);
    record = {};
}

HookRecorder::Record HookRecorder::Recorded()
{
    Lock guard(lock);
    return record;
}

void HookRecorder::Called(Hook hook)
{
    Lock guard(lock);
    ++running;
    ++record.calls[hook];
    record.threads[hook] = GetCurrentThreadId();
    for (DWORD thread : record.threads) {
        if (thread != 0 && thread != GetCurrentThreadId())
            record.otherThread = true;
    }
}

void HookRecorder::Returned()
{
    Lock guard(lock);
    --running;
    lastReturn = Now();
}
