// nullmodem_probe: measures what the rig costs a program and how fast its events arrive.
// Prints figures; asserts nothing (speed is measured here, never in a timed test).
//   tests/support/wine-run <build>/bin/nullmodem_probe.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "NullModem.h"
#include "RigPort.h"

namespace {

constexpr int kSamples = 100;
constexpr DWORD kBlockedMs = 3000;

double NowMs()
{
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double CpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

void Report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %6.2f ms  p90 %6.2f ms  max %6.2f ms  (%zu samples)\n", what,
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back(), ms.size());
}

// Time from the cause to the end of an overlapped WaitCommEvent on port.
template <typename Cause>
bool Latency(RigPort& port, DWORD mask, Cause cause, double* ms)
{
    SetCommMask(port.Handle(), mask);
    CommWait wait(port.Handle());
    if (!wait.IsPending())
        return false;
    const double start = NowMs();
    cause();
    if (!wait.Finish(2000) || !wait.Succeeded())
        return false;
    *ms = NowMs() - start;
    return true;
}

}  // namespace

int main()
{
    NullModemPair pair;
    if (!pair.Ok()) {
        std::fprintf(stderr, "no pair: %s\n", pair.Error().c_str());
        return 1;
    }
    RigPort a(pair.ComA()), b(pair.ComB());
    if (!a.IsOpen() || !b.IsOpen()) {
        std::fprintf(stderr, "cannot open the ports\n");
        return 1;
    }

    std::vector<double> rx, dsr, mask;
    for (int i = 0; i < kSamples; i++) {
        double ms;
        char byte;
        if (Latency(a, EV_RXCHAR, [&] { b.Write("p", 1, 2000); }, &ms) &&
            a.Read(&byte, 1, 2000))
            rx.push_back(ms);
        if (Latency(a, EV_DSR, [&] { EscapeCommFunction(b.Handle(), i % 2 ? SETDTR : CLRDTR); },
                    &ms))
            dsr.push_back(ms);

        SetCommMask(a.Handle(), EV_RXCHAR);
        CommWait wait(a.Handle());
        const double start = NowMs();
        SetCommMask(a.Handle(), 0);
        if (wait.Finish(2000) && wait.Error() == ERROR_OPERATION_ABORTED)
            mask.push_back(NowMs() - start);
    }
    if (rx.empty() || dsr.empty() || mask.empty()) {
        std::fprintf(stderr, "no samples\n");
        return 1;
    }
    Report("EV_RXCHAR after the peer's WriteFile", rx);
    Report("EV_DSR after the peer's EscapeCommFunction", dsr);
    Report("SetCommMask(h, 0) to the wait's end (995)", mask);

    SetCommMask(a.Handle(), EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_BREAK | EV_ERR);
    CommWait idle(a.Handle());
    const double cpu = CpuMs(), start = NowMs();
    Sleep(kBlockedMs);
    const double cpuUsed = CpuMs() - cpu, wall = NowMs() - start;
    std::printf("%-44s %.0f ms CPU in %.0f ms (%.1f%% of a core)\n",
                "blocked in WaitCommEvent", cpuUsed, wall, 100.0 * cpuUsed / wall);
    return 0;
}
