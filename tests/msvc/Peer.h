// The far end of a null-modem pair, opened as a plain Win32 handle.
#ifndef MOKACOMM_MSVC_PEER_H
#define MOKACOMM_MSVC_PEER_H

#include "base/Win32.h"

class Peer {
public:
    explicit Peer(int com);
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer();

    bool IsOpen() const { return port != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return port; }
    bool Write(const char* data, DWORD length);
    // Reads until `length` bytes came or 5 s passed; returns how many came.
    DWORD Read(char* buffer, DWORD length);

private:
    // Waits for an overlapped transfer that did not complete at once.
    bool Finish(BOOL started, DWORD* done);

    HANDLE port;
    HANDLE event;
    OVERLAPPED io = {};
};

#endif
