// A host built against the installed package: "ping" goes from a CCommLib on the first port to
// a plain handle on the second, "pong" comes back through EventRx. Exit code 0 when both arrive.
// It uses no C++ standard library, so that it builds with every toolchain of the project.
//   package_host COMa COMb
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "Mokacomm.h"

namespace {

class Host : public CCommLib {
public:
    ~Host() { Close(); }
    void EventRx(unsigned long count) override
    {
        if (InterlockedCompareExchange(&complete, 0, 0))
            return;
        char buffer[sizeof received];
        unsigned long got = 0;
        if (count > sizeof received - 1 - length || !Receive(buffer, count, &got))
            return;
        memcpy(received + length, buffer, got);
        length += got;
        if (length >= 4)
            InterlockedExchange(&complete, 1);
    }
    bool Complete() { return InterlockedCompareExchange(&complete, 0, 0) != 0; }

    char received[64] = ""; // written by the event thread until Complete(), then read by main
    unsigned long length = 0;

private:
    volatile LONG complete = 0;
};

// Waits up to five seconds for `length` bytes at the plain handle.
void ReadQueued(HANDLE port, char* got, DWORD length)
{
    DWORD have = 0;
    OVERLAPPED io{};
    io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < 5000 && have < length; ++i) {
        COMSTAT status{};
        DWORD errors = 0;
        ClearCommError(port, &errors, &status);
        if (status.cbInQue == 0) {
            Sleep(1);
            continue;
        }
        DWORD done = 0;
        const DWORD want = status.cbInQue < length - have ? status.cbInQue : length - have;
        if (!ReadFile(port, got + have, want, &done, &io))
            GetOverlappedResult(port, &io, &done, TRUE);
        have += done;
    }
    got[have] = '\0';
    CloseHandle(io.hEvent);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: package_host COMa COMb\n");
        return 2;
    }
    CCommLib::PORT number = CCommLib::PORT_NONE;
    for (int p = CCommLib::PORT_COM1; p <= CCommLib::PORT_COM32; ++p) {
        if (strcmp(argv[1], CCommLib::GetPortStr(static_cast<CCommLib::PORT>(p))) == 0)
            number = static_cast<CCommLib::PORT>(p);
    }
    Host host;
    const CCommLib::ERR opened = host.Open(number);
    if (opened != CCommLib::ERR_OK) {
        fprintf(stderr, "Open(%s): %d, system error %lu\n", argv[1], opened, host.GetLastError());
        return 1;
    }
    char peerPath[MAX_PATH];
    _snprintf(peerPath, sizeof peerPath - 1, "\\\\.\\%s", argv[2]);
    peerPath[sizeof peerPath - 1] = '\0';
    HANDLE peer = CreateFileA(peerPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (peer == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "CreateFileA(%s): %lu\n", argv[2], GetLastError());
        return 1;
    }

    const bool sent = host.Send("ping") == CCommLib::ERR_OK;
    char ping[8];
    ReadQueued(peer, ping, 4);
    OVERLAPPED io{};
    io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    if (!WriteFile(peer, "pong", 4, &done, &io))
        GetOverlappedResult(peer, &io, &done, TRUE);
    CloseHandle(io.hEvent);
    for (int i = 0; i < 5000 && !host.Complete(); ++i)
        Sleep(1);
    const CCommLib::ERR closed = host.Close();
    CloseHandle(peer);

    const char* pong = host.Complete() ? host.received : "";
    const bool ok = sent && strcmp(ping, "ping") == 0 && strcmp(pong, "pong") == 0 &&
                    closed == CCommLib::ERR_OK;
    printf("package host on %s and %s: sent %s, peer got \"%s\", host got \"%s\", Close %d: %s\n",
           argv[1], argv[2], sent ? "yes" : "no", ping, pong, closed, ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
