#include "Peer.h"

#include "Format.h"

Peer::Peer(int com) : event(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    char name[32];
    Format(name, "\\\\.\\COM%d", com);
    port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
    io.hEvent = event;
}

Peer::~Peer()
{
    if (IsOpen())
        CloseHandle(port);
    if (event)
        CloseHandle(event);
}

bool Peer::Write(const char* data, DWORD length)
{
    DWORD written = 0;
    return Finish(WriteFile(port, data, length, &written, &io), &written) && written == length;
}

DWORD Peer::Read(char* buffer, DWORD length)
{
    DWORD got = 0;
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (got < length && GetTickCount64() < deadline) {
        // Only what is queued, so that the read never waits past the deadline.
        COMSTAT status = {};
        DWORD errors = 0;
        if (!ClearCommError(port, &errors, &status) || status.cbInQue == 0) {
            Sleep(1);
            continue;
        }
        const DWORD want = status.cbInQue < length - got ? status.cbInQue : length - got;
        DWORD done = 0;
        if (!Finish(ReadFile(port, buffer + got, want, &done, &io), &done))
            break;
        got += done;
    }
    return got;
}

bool Peer::Finish(BOOL started, DWORD* done)
{
    if (started)
        return true;
    if (GetLastError() != ERROR_IO_PENDING)
        return false;
    if (WaitForSingleObject(event, 5000) != WAIT_OBJECT_0) {
        // The transfer must be over before its buffer and OVERLAPPED go.
        CancelIoEx(port, &io);
        GetOverlappedResult(port, &io, done, TRUE);
        return false;
    }
    return GetOverlappedResult(port, &io, done, FALSE) != FALSE;
}
