#include "PeerPort.h"

#include <algorithm>

PeerPort::PeerPort(int com)
{
    const std::string path = "\\\\.\\COM" + std::to_string(com);
    handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    readIo.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writeIo.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (IsOpen()) {
        COMMTIMEOUTS t = {MAXDWORD, 0, 1000, 0, 0};
        SetCommTimeouts(handle, &t);
        PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
        // Opening raises DTR and RTS, as on a Linux serial port: start with both lines off.
        EscapeCommFunction(handle, CLRDTR);
        EscapeCommFunction(handle, CLRRTS);
    }
}

PeerPort::~PeerPort()
{
    if (IsOpen())
        CloseHandle(handle);
    CloseHandle(readIo.hEvent);
    CloseHandle(writeIo.hEvent);
}

bool PeerPort::Write(const void* data, DWORD length)
{
    DWORD done = 0;
    if (!WriteFile(handle, data, length, &done, &writeIo)) {
        if (GetLastError() != ERROR_IO_PENDING ||
            !GetOverlappedResult(handle, &writeIo, &done, TRUE))
            return false;
    }
    return done == length;
}

std::string PeerPort::Read(size_t length, DWORD timeoutMs)
{
    // Only what is already queued is read, so no read waits: Wine ignores the "return at once"
    // time-outs and lets a read wait for its whole length.
    std::string got;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    char buffer[4096];
    while (got.size() < length && GetTickCount64() < deadline) {
        COMSTAT status{};
        DWORD errors = 0;
        ClearCommError(handle, &errors, &status);
        const DWORD want = static_cast<DWORD>(
            std::min({sizeof buffer, length - got.size(), static_cast<size_t>(status.cbInQue)}));
        if (want == 0) {
            Sleep(1);
            continue;
        }
        DWORD done = 0;
        if (!ReadFile(handle, buffer, want, &done, &readIo)) {
            if (GetLastError() != ERROR_IO_PENDING ||
                !GetOverlappedResult(handle, &readIo, &done, TRUE))
                done = 0;
        }
        got.append(buffer, done);
    }
    return got;
}

bool PeerPort::Escape(DWORD function)
{
    return EscapeCommFunction(handle, function) != FALSE;
}

DWORD PeerPort::ModemStatus()
{
    DWORD status = 0;
    return GetCommModemStatus(handle, &status) ? status : 0;
}
