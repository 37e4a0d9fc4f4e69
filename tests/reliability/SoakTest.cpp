// Many Open/Close cycles on one null-modem port: the process must end as it began, and no cycle
// may stall near the 2 s start wait or the 10 s thread wait.
#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "ComPort.h"
#include "Figures.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "ProcessStats.h"
#include "Watchdog.h"

namespace {

using CL = CCommLib;

class CountingHost : public CCommLib {
public:
    ~CountingHost() { Close(); }
    void EventRx(unsigned long) override { ++hooks; }
    void EventLine(unsigned long) override { ++hooks; }
    void EventTxEnd() override { ++hooks; }
    void EventError(COMSTAT&, unsigned long) override { ++hooks; }
    std::atomic<int> hooks{0};
};

// Stalls are what the test looks for: an Open that waited out its start signal (2 s) or a Close
// that waited out its thread (10 s). The durations themselves are figures, not assertions.
constexpr double kOpenStallMs = 1500;
constexpr double kCloseStallMs = 2000;
// Wine's own serial and server bookkeeping settles within a few cycles.
constexpr int kWarmUpCycles = 20;
// Twice what the 64-bit Wine keeps of each aborted wait (below), and room for the heaps to grow
// by a step.
constexpr unsigned long long kWinePrivateBytesPerCycle = 1024;
constexpr unsigned long long kHeapStep = 256 * 1024;
// Long enough for Wine's wait helper to end; a thread left behind outlives it.
constexpr DWORD kSettleMs = 2000;

TEST(Soak, OpenCloseCyclesLeaveHandlesThreadsAndMemoryAsTheyWere)
{
    const long cycles = EnvNumber("MOKACOMM_SOAK_CYCLES", 1000);
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    const auto port = PortOf(pair.ComA());
    CountingHost host;
    const ProcessStats start = ProcessStats::Now();

    for (int i = 0; i < kWarmUpCycles; ++i) {
        ASSERT_EQ(CL::ERR_OK, host.Open(port));
        ASSERT_EQ(CL::ERR_OK, host.Close());
    }
    // The counters see what an open port holds, so that equal counts below mean something.
    ASSERT_EQ(CL::ERR_OK, host.Open(port));
    const ProcessStats open = ProcessStats::Now();
    ASSERT_EQ(CL::ERR_OK, host.Close());

    std::vector<double> opens, closes;
    opens.reserve(cycles);
    closes.reserve(cycles);
    std::vector<unsigned long long> privateSeries;
    privateSeries.reserve(cycles / 100 + 1);
    long failures = 0;
    const ProcessStats before = ProcessStats::Settled(start, kSettleMs);
    const long long allocationsBefore = LiveAllocations();
    {
        // Each cycle takes a little over 100 ms; a stalled one up to 12 s.
        Watchdog watchdog("the soak", static_cast<DWORD>(cycles * 400 + 30000),
                          [&] { return std::to_string(opens.size()) + " cycles done"; });
        for (long i = 0; i < cycles; ++i) {
            double start = NowMs();
            const CL::ERR opened = host.Open(port);
            opens.push_back(NowMs() - start);
            start = NowMs();
            const CL::ERR closed = host.Close();
            closes.push_back(NowMs() - start);
            if ((i + 1) % 100 == 0)
                privateSeries.push_back(ProcessStats::Now().privateBytes / 1024);
            if (opened != CL::ERR_OK || closed != CL::ERR_OK) {
                ADD_FAILURE() << "cycle " << i << ": Open " << opened << ", Close " << closed;
                if (++failures == 5)
                    break;
            }
        }
    }
    const long long allocationsAfter = LiveAllocations();
    const ProcessStats after = ProcessStats::Settled(before, kSettleMs);

    const Spread openTimes(opens), closeTimes(closes);
    long opensOutside = 0, closesOver20 = 0;
    for (double ms : opens)
        opensOutside += ms < 100 || ms > 150;
    for (double ms : closes)
        closesOver20 += ms >= 20;
    Figure("cycles", std::to_string(opens.size()));
    Figure("open", openTimes.Describe("ms"));
    Figure("close", closeTimes.Describe("ms"));
    Figure("opens outside 100..150 ms", std::to_string(opensOutside));
    Figure("closes of 20 ms or more", std::to_string(closesOver20));
    Figure("while open", open.Describe());
    Figure("before", before.Describe());
    Figure("after", after.Describe());
    Figure("live C++ allocations before/after",
           std::to_string(allocationsBefore) + " / " + std::to_string(allocationsAfter));
    std::string series;
    for (unsigned long long kib : privateSeries)
        series += std::to_string(kib) + " ";
    Figure("private KiB every 100 cycles", series);
    Figure("hooks called", std::to_string(host.hooks.load()));

    EXPECT_LT(openTimes.max, kOpenStallMs);
    EXPECT_LT(closeTimes.max, kCloseStallMs);
    ASSERT_NE(-1, before.handles) << "the handle table cannot be read";
    ASSERT_NE(-1, before.unixFds) << "this process's /proc entry was not found";
    EXPECT_GT(open.handles, before.handles);
    EXPECT_FALSE(ThreadsBornSince(before, open).empty()) << "the event thread is not seen";
    EXPECT_GT(open.unixFds, before.unixFds);
    EXPECT_EQ(before.handles, after.handles);
    // Wine may end a thread of its own in the meantime; none may have been left behind.
    EXPECT_EQ(std::vector<std::string>{}, ThreadsBornSince(before, after))
        << "threads left behind";
    // Wine keeps descriptors for each run of the rig's nullmodemctl (its image, its working folder)
    // and drops them later, hundreds at once: fewer afterwards is no leak.
    EXPECT_LE(after.unixFds, before.unixFds);
    EXPECT_EQ(allocationsBefore, allocationsAfter);
    // Wine 8 itself keeps about 210 bytes (32-bit) or 430 bytes (64-bit) of every WaitCommEvent
    // that a mask change ends, which is how every Close ends the event thread's wait (measured
    // without the library by wait_leak_probe). The library's own allocations are counted above.
    EXPECT_LT(after.privateBytes,
              before.privateBytes + kHeapStep + cycles * kWinePrivateBytesPerCycle)
        << "private bytes grew by more than Wine's own";
    EXPECT_EQ(0, host.hooks.load()) << "an idle port reports nothing";
}

} // namespace
