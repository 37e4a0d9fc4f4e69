// The far end of a null-modem pair, driven with plain Win32 calls. Reads and writes have an
// OVERLAPPED each, so one thread may read while another writes.
#ifndef MOKACOMM_TESTS_PEER_PORT_H
#define MOKACOMM_TESTS_PEER_PORT_H

#include <string>

#include "base/Win32.h"

class PeerPort {
public:
    explicit PeerPort(int com);
    PeerPort(const PeerPort&) = delete;
    PeerPort& operator=(const PeerPort&) = delete;
    ~PeerPort();

    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle; }

    bool Write(const void* data, DWORD length);
    bool Write(const std::string& text) { return Write(text.data(), static_cast<DWORD>(text.size())); }
    // Reads until `length` bytes came or `timeoutMs` passed; returns what came.
    std::string Read(size_t length, DWORD timeoutMs);
    bool Escape(DWORD function);
    DWORD ModemStatus();

private:
    HANDLE handle;
    OVERLAPPED readIo{};
    OVERLAPPED writeIo{};
};

#endif
