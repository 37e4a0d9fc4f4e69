// Win32 access to a rig port for the self-test and the probe, the way the library opens a
// port: overlapped, share mode 0. Every wait is bounded.
#pragma once

#include <windows.h>

#include <string>

// Owns an open COM port.
class RigPort {
public:
    explicit RigPort(int com);
    ~RigPort();
    RigPort(const RigPort&) = delete;
    RigPort& operator=(const RigPort&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // GetLastError() of the CreateFileA that opened the port.
    DWORD OpenError() const { return openError_; }
    HANDLE Handle() const { return handle_; }
    void Close();

    // Overlapped write or read of exactly n bytes within ms; false with *error on failure
    // (WAIT_TIMEOUT when the time ran out: the request is then cancelled).
    bool Write(const void* data, DWORD n, DWORD ms, DWORD* error = nullptr);
    bool Read(void* data, DWORD n, DWORD ms, DWORD* error = nullptr);

    // Modem status bits (MS_*), or ~0u when GetCommModemStatus fails.
    DWORD ModemStatus() const;

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD openError_ = 0;
};

// One overlapped WaitCommEvent on a port.
class CommWait {
public:
    // Issues the wait with the port's current mask.
    explicit CommWait(HANDLE port);
    // A wait still pending is ended with SetCommMask (which ends it under Wine and on Windows)
    // before the OVERLAPPED goes away.
    ~CommWait();
    CommWait(const CommWait&) = delete;
    CommWait& operator=(const CommWait&) = delete;

    // True when WaitCommEvent left the request pending.
    bool IsPending() const { return pending_; }
    // Waits up to ms for the request to end; true when it has ended.
    bool Finish(DWORD ms);
    // Once ended: whether it succeeded, its events, and its error when it failed.
    bool Succeeded() const { return succeeded_; }
    DWORD Events() const { return request_->events; }
    DWORD Error() const { return error_; }

private:
    // What Wine's waiting thread writes to: on the heap, so that a wait that never ends can be
    // left to it instead of freed under it.
    struct Request {
        OVERLAPPED ov;
        DWORD events;
    };
    HANDLE port_;
    Request* request_;
    DWORD error_ = 0;
    bool pending_ = false;
    bool succeeded_ = false;
};

// Names of the EV_* bits in mask, for failure messages.
std::string EventNames(DWORD mask);
