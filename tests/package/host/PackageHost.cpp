// A host built against the installed package: "ping" goes from a CCommLib on the first port to
// a plain handle on the second, "pong" comes back through EventRx. Exit code 0 when both arrive.
//   package_host COMa COMb
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "Mokacomm.h"

namespace {

class Host : public CCommLib {
public:
    ~Host() { Close(); }
    void EventRx(unsigned long count) override
    {
        char buffer[64];
        unsigned long got = 0;
        if (complete || count > sizeof buffer || !Receive(buffer, count, &got))
            return;
        received.append(buffer, got);
        if (received.size() >= 4)
            complete = true;
    }
    std::string received; // written by the event thread until `complete`, then read by main
    std::atomic<bool> complete{false};
};

// Waits up to five seconds for `length` bytes at the plain handle.
std::string ReadQueued(HANDLE port, size_t length)
{
    std::string got;
    OVERLAPPED io{};
    io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < 5000 && got.size() < length; ++i) {
        COMSTAT status{};
        DWORD errors = 0;
        ClearCommError(port, &errors, &status);
        if (status.cbInQue == 0) {
            Sleep(1);
            continue;
        }
        char buffer[64];
        DWORD done = 0;
        const DWORD want = status.cbInQue < sizeof buffer ? status.cbInQue : sizeof buffer;
        if (!ReadFile(port, buffer, want, &done, &io))
            GetOverlappedResult(port, &io, &done, TRUE);
        got.append(buffer, done);
    }
    CloseHandle(io.hEvent);
    return got;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: package_host COMa COMb\n");
        return 2;
    }
    CCommLib::PORT number = CCommLib::PORT_NONE;
    for (int p = CCommLib::PORT_COM1; p <= CCommLib::PORT_COM32; ++p) {
        if (std::strcmp(argv[1], CCommLib::GetPortStr(static_cast<CCommLib::PORT>(p))) == 0)
            number = static_cast<CCommLib::PORT>(p);
    }
    Host host;
    const CCommLib::ERR opened = host.Open(number);
    if (opened != CCommLib::ERR_OK) {
        std::fprintf(stderr, "Open(%s): %d, system error %lu\n", argv[1], opened, host.GetLastError());
        return 1;
    }
    const std::string peerPath = std::string("\\\\.\\") + argv[2];
    HANDLE peer = CreateFileA(peerPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (peer == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "CreateFileA(%s): %lu\n", argv[2], GetLastError());
        return 1;
    }

    const bool sent = host.Send("ping") == CCommLib::ERR_OK;
    const std::string ping = ReadQueued(peer, 4);
    OVERLAPPED io{};
    io.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    if (!WriteFile(peer, "pong", 4, &done, &io))
        GetOverlappedResult(peer, &io, &done, TRUE);
    CloseHandle(io.hEvent);
    for (int i = 0; i < 5000 && !host.complete; ++i)
        Sleep(1);
    const CCommLib::ERR closed = host.Close();
    CloseHandle(peer);

    const std::string pong = host.complete ? host.received : std::string();
    const bool ok = sent && ping == "ping" && pong == "pong" && closed == CCommLib::ERR_OK;
    std::printf("package host on %s and %s: sent %s, peer got \"%s\", host got \"%s\", Close %d: %s\n",
                argv[1], argv[2], sent ? "yes" : "no", ping.c_str(), pong.c_str(), closed,
                ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
