// The CPU that an open, idle port costs the process and the wine server. The library and the raw
// wait are measured one after the other, never together.
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "Bench.h"
#include "Clock.h"
#include "CpuTimes.h"
#include "RawEventLoop.h"

namespace {

constexpr DWORD kIdleMs = 10000;
// The windows alternate between the two. A window's figure moves by a few tenths of a percent
// from one to the next, more than the 10 ms grain of the CPU times.
constexpr int kWindows = 4;
// Lets the waiting thread reach its wait before the clock starts.
constexpr DWORD kSettleMs = 500;

// One quiet window.
struct CpuUse {
    double process; // percent of a core
    double server;
    bool serverKnown;
    // ms of each thread that opening the port started (the waiting thread and whatever Wine
    // runs for its wait), largest first.
    std::vector<double> portThreads;
};

using ThreadTimes = std::map<DWORD, double>;

CpuUse MeasureQuiet(const ThreadTimes& beforeOpen)
{
    Sleep(kSettleMs);
    const ThreadTimes threads = ThreadCpuMs();
    const CpuTimes start = CpuTimes::Now();
    const double wall0 = NowMs();
    Sleep(kIdleMs);
    const CpuTimes used = CpuTimes::Since(start);
    const double wall = NowMs() - wall0;
    CpuUse use{100.0 * used.processMs / wall, 100.0 * used.serverMs / wall, used.serverKnown, {}};
    for (const auto& thread : ThreadCpuMs()) {
        if (beforeOpen.count(thread.first))
            continue;
        const auto atStart = threads.find(thread.first);
        use.portThreads.push_back(thread.second -
                                  (atStart != threads.end() ? atStart->second : 0.0));
    }
    std::sort(use.portThreads.rbegin(), use.portThreads.rend());
    return use;
}

bool LibraryWindow(const BenchSetup& setup, CpuUse* use, std::string* error)
{
    const ThreadTimes beforeOpen = ThreadCpuMs();
    CCommLib host;
    if (!OpenLibrary(host, setup.comA, error))
        return false;
    *use = MeasureQuiet(beforeOpen);
    return true;
}

bool RawWindow(const BenchSetup& setup, CpuUse* use, std::string* error)
{
    const ThreadTimes beforeOpen = ThreadCpuMs();
    RawPort port(setup.comA, setup.settings);
    if (!RawOpened(port, error))
        return false;
    RawEventLoop loop(port.Handle(), nullptr);
    if (!LoopStarted(loop, error))
        return false;
    *use = MeasureQuiet(beforeOpen);
    return LoopStopped(loop, error);
}

CpuUse Mean(const std::vector<CpuUse>& uses)
{
    CpuUse mean{0, 0, true, {}};
    for (const CpuUse& u : uses) {
        mean.process += u.process / static_cast<double>(uses.size());
        mean.server += u.server / static_cast<double>(uses.size());
        mean.serverKnown = mean.serverKnown && u.serverKnown;
    }
    return mean;
}

void PrintUse(const char* what, const std::vector<CpuUse>& uses)
{
    const CpuUse mean = Mean(uses);
    std::printf("%-28s process %6.3f %% of a core", what, mean.process);
    if (mean.serverKnown)
        std::printf("   wine server %6.3f %%", mean.server);
    std::printf("   (windows:");
    for (const CpuUse& u : uses)
        std::printf(mean.serverKnown ? " %.2f/%.2f" : " %.2f", u.process, u.server);
    std::printf(")\n%-28s", "    threads of the port, ms");
    for (const CpuUse& u : uses) {
        const char* separator = " ";
        for (double ms : u.portThreads) {
            std::printf("%s%.0f", separator, ms);
            separator = "+";
        }
    }
    std::printf("\n");
}

} // namespace

bool MeasureIdle(const BenchSetup& setup, IdleResult* result, std::string* error)
{
    std::vector<CpuUse> library(kWindows), raw(kWindows);
    for (int w = 0; w < kWindows; ++w) {
        const auto window = [&](bool ofLibrary) {
            return ofLibrary ? LibraryWindow(setup, &library[w], error)
                             : RawWindow(setup, &raw[w], error);
        };
        // Alternating which goes first evens out a drift of the machine's load.
        const bool libraryFirst = w % 2 == 0;
        if (!window(libraryFirst) || !window(!libraryFirst))
            return false;
    }
    std::printf("Idle CPU of an open port, %d windows of %lu s each (mean)\n", kWindows,
                kIdleMs / 1000);
    PrintUse("  library (event thread)", library);
    PrintUse("  raw (WaitCommEvent thread)", raw);
    std::vector<double> process, server;
    for (int w = 0; w < kWindows; ++w) {
        process.push_back(library[w].process - raw[w].process);
        server.push_back(library[w].server - raw[w].server);
    }
    const CpuUse l = Mean(library), r = Mean(raw);
    *result = {{l.process - r.process, StandardError(process)},
               l.serverKnown && r.serverKnown,
               {l.server - r.server, StandardError(server)}};
    return true;
}
