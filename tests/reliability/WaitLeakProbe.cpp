// Measures, without the library, what Wine keeps of each WaitCommEvent that a change of the event
// mask ends, which is how every Close ends the event thread's wait. The soak test allows for it.
// Run it through tests/support/wine-run (docs/reliability.md).
#include <cstdio>
#include <string>

#include "NullModem.h"
#include "ProcessStats.h"

namespace {

constexpr int kRounds = 1000;

// Opens and closes the port `rounds` times, with or without a wait that SetCommMask ends.
long long GrowthPerRound(int com, bool wait, int rounds)
{
    const std::string path = NullModemPair::DeviceName(com);
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const unsigned long long before = ProcessStats::Now().privateBytes;
    for (int i = 0; i < rounds; ++i) {
        const HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (port == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "cannot open COM%d: %lu\n", com, GetLastError());
            return -1;
        }
        if (wait) {
            SetCommMask(port, EV_RXCHAR | EV_CTS | EV_DSR);
            OVERLAPPED o{};
            o.hEvent = event;
            DWORD mask = 0;
            if (!WaitCommEvent(port, &mask, &o) && GetLastError() == ERROR_IO_PENDING) {
                SetCommMask(port, 0);
                WaitForSingleObject(event, 1000);
            }
        }
        CloseHandle(port);
    }
    CloseHandle(event);
    return static_cast<long long>(ProcessStats::Now().privateBytes - before) / rounds;
}

} // namespace

int main()
{
    NullModemPair pair;
    if (!pair.Ok()) {
        std::fprintf(stderr, "no rig pair: %s\n", pair.Error().c_str());
        return 1;
    }
    // The first rounds fill Wine's caches.
    GrowthPerRound(pair.ComA(), true, 20);
    std::printf("open and close:                     %lld bytes per round\n",
                GrowthPerRound(pair.ComA(), false, kRounds));
    std::printf("open, wait, end it by mask, close:  %lld bytes per round\n",
                GrowthPerRound(pair.ComA(), true, kRounds));
    return 0;
}
