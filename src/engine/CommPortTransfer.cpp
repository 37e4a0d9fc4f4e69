// Receiving, sending, the stored settings and the modem lines. None of these allocates memory.
#include <string.h>

#include "engine/CommPortEngine.h"

using ERR = CCommLib::ERR;

bool CommPortEngine::Receive(char* buffer, unsigned long length, unsigned long* received)
{
    OperationLock lock(*this);
    if (!lock) {
        *received = 0;
        return false;
    }
    const bool completed = Read(buffer, length, received);
    // Whatever the outcome: a read that failed may still have taken bytes.
    bytesReceived += *received;
    return completed;
}

bool CommPortEngine::Read(char* buffer, unsigned long length, unsigned long* received)
{
    const HANDLE port = portHandle.Load();
    if (calls.ReadFile(port, buffer, length, received, &readOverlapped))
        return true;
    if (::GetLastError() != ERROR_IO_PENDING) {
        *received = 0;
        ClearPortErrors(port);
        return false;
    }
    return AwaitTransfer(readOverlapped, received);
}

// Waits for the pending transfer of `overlapped` to end, and gives its count; false when it
// failed, and the port's errors are then cleared.
//
// GetOverlappedResult with its wait flag set can still answer ERROR_IO_INCOMPLETE: it waits for
// the OVERLAPPED's event, then reads the transfer's status, and an event that it finds set while
// the status still says pending makes it answer at once that the transfer is incomplete. Asked
// again at once, it answers the same for as long as the event stays set, and the loop would spin
// hot; Sleep(0) gives the rest of the time slice to the threads that end the transfer, then the
// loop asks again. (Under Wine the loop never runs: docs/benchmarks.md.)
bool CommPortEngine::AwaitTransfer(OVERLAPPED& overlapped, DWORD* transferred)
{
    const HANDLE port = portHandle.Load();
    while (!calls.GetOverlappedResult(port, &overlapped, transferred, TRUE)) {
        if (::GetLastError() != ERROR_IO_INCOMPLETE) {
            ClearPortErrors(port);
            return false;
        }
        calls.Sleep(0);
    }
    return true;
}

ERR CommPortEngine::Send(const char* text)
{
    if (!portHandle.Load())
        return CCommLib::ERR_NOT_OPEN;
    unsigned long written = 0;
    return Send(text, static_cast<unsigned long>(strlen(text)), &written);
}

ERR CommPortEngine::Send(const void* data, unsigned long length, unsigned long* written)
{
    if (!portHandle.Load())
        return CCommLib::ERR_NOT_OPEN;
    OperationLock lock(*this);
    // A Close may have come between the test above and the lock.
    if (!lock || !portHandle.Load())
        return CCommLib::ERR_NOT_OPEN;
    const HANDLE port = portHandle.Load();
    if (!calls.WriteFile(port, data, length, written, &writeOverlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING) {
            *written = 0;
            ClearPortErrors(port);
            return CCommLib::ERR_IO;
        }
        // A failed write leaves the count that the pending WriteFile stored.
        DWORD transferred = 0;
        if (!AwaitTransfer(writeOverlapped, &transferred))
            return CCommLib::ERR_IO;
        *written = transferred;
    }
    return *written == length ? CCommLib::ERR_OK : CCommLib::ERR_SHORT_WRITE;
}

ERR CommPortEngine::SetDCB(const DCB& settings)
{
    OperationLock lock(*this);
    // Stored whatever comes next. A hook whose thread a Close waits for gets no lock, yet stores
    // safely: the closer holds the lock and waits for this very thread, so no other writer runs
    // until the hook returns.
    dcb = settings;
    if (!lock || !portHandle.Load())
        return CCommLib::ERR_NOT_OPEN;
    return calls.SetCommState(portHandle.Load(), &dcb) ? CCommLib::ERR_OK : CCommLib::ERR_IO;
}

const DCB& CommPortEngine::GetDCB()
{
    return dcb;
}

unsigned long CommPortEngine::GetLineStat()
{
    OperationLock lock(*this);
    DWORD status = 0;
    if (!lock || !calls.GetCommModemStatus(portHandle.Load(), &status))
        return 0;
    return status;
}

ERR CommPortEngine::SetLineStat(unsigned long function)
{
    OperationLock lock(*this);
    if (!lock || !portHandle.Load())
        return CCommLib::ERR_NOT_OPEN;
    // Wine refuses unknown codes without setting an error: report 0 then, not a stale code.
    ::SetLastError(ERROR_SUCCESS);
    if (calls.EscapeCommFunction(portHandle.Load(), function))
        return CCommLib::ERR_OK;
    lastError.Store(::GetLastError());
    return CCommLib::ERR_SYSTEM;
}

void CommPortEngine::ClearPortErrors(HANDLE port)
{
    DWORD errors = 0;
    calls.ClearCommError(port, &errors, &comStat);
}
