// A COM port driven with plain Win32 calls and configured with the same calls and values as
// CCommLib::Open: the baseline that the library is measured against, and the far end of the cable.
#ifndef MOKACOMM_BENCH_RAW_PORT_H
#define MOKACOMM_BENCH_RAW_PORT_H

#include <string>

#include "base/Handles.h"

class RawPort {
public:
    // Exclusive and overlapped, then the event mask, the queue sizes, a purge and the time-outs
    // that the library uses, and finally `settings`: the record that the library itself applied
    // (CCommLib::GetDCB after an Open).
    RawPort(int com, const DCB& settings);
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool IsOpen() const { return static_cast<bool>(handle); }
    // The step that failed and its error code, when the port is not open.
    const std::string& Error() const { return error; }
    HANDLE Handle() const { return handle.Get(); }

    // One overlapped transfer, waited for with GetOverlappedResult, as the library does it. On
    // failure GetLastError() tells why.
    bool Write(const void* data, DWORD length, DWORD* done);
    bool Read(void* data, DWORD length, DWORD* done);
    // The bytes waiting in the input queue (ClearCommError), 0 when the call fails.
    DWORD InQueue();

private:
    bool Configure(HANDLE port, const DCB& settings);
    bool Fail(const char* step, DWORD code);

    FileHandle handle;
    KernelHandle readEvent;
    KernelHandle writeEvent;
    OVERLAPPED readOverlapped{};
    OVERLAPPED writeOverlapped{};
    std::string error;
};

#endif
