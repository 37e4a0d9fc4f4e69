// The far end of the cable vanishes (the device is unplugged) while the port is idle, while a
// Receive waits, and while events stream. Wine then fails every call on the old handle at once
// (tests/support/nullmodem/README.md), which is where a careless event loop starts to spin.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "Eventually.h"
#include "Figures.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "ProcessStats.h"
#include "Watchdog.h"

namespace {

using CL = CCommLib;

constexpr DWORD kQuietMs = 3000;
// A process whose event thread has backed off to one retry a second uses next to nothing; one
// that retried at once would use a whole core.
constexpr double kBusyShare = 0.15;

class CountingHost : public CCommLib {
public:
    ~CountingHost() { Close(); }
    void EventRx(unsigned long n) override
    {
        ++hooks;
        char buffer[256];
        unsigned long got = 0;
        Receive(buffer, n < sizeof buffer ? n : sizeof buffer, &got);
    }
    void EventLine(unsigned long) override { ++hooks; }
    void EventTxEnd() override { ++hooks; }
    void EventError(COMSTAT&, unsigned long) override { ++hooks; }
    std::atomic<long> hooks{0};
};

class DeviceLoss : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_EQ(CL::ERR_OK, host.Open(Port()));
    }

    CL::PORT Port() const { return PortOf(pair.ComA()); }

    void Vanish()
    {
        const double start = NowMs();
        ASSERT_TRUE(pair.Vanish()) << pair.Error();
        Figure("nullmodemctl vanish took", NowMs() - start, "ms");
    }

    // The share of one core that the process uses over the next few seconds.
    static double CpuShare()
    {
        const double cpu = ProcessCpuMs(), start = NowMs();
        Sleep(kQuietMs);
        return (ProcessCpuMs() - cpu) / (NowMs() - start);
    }

    // After the loss has settled: the hooks stay quiet and the process idles.
    void ExpectQuiet(const char* scene)
    {
        Sleep(500);
        const long hooks = host.hooks;
        const double share = CpuShare();
        const long storm = host.hooks - hooks;
        Figure(std::string(scene) + ": CPU after the loss", share * 100, "% of a core");
        Figure(std::string(scene) + ": hooks in the 3 s after", std::to_string(storm));
        EXPECT_LT(share, kBusyShare) << "a busy loop after the device went";
        EXPECT_EQ(0, storm) << "hooks for a device that is gone";
    }

    // Close still works on the dead handle, and the device, once back, opens as before.
    void ExpectRecovery()
    {
        const double start = NowMs();
        EXPECT_EQ(CL::ERR_OK, host.Close());
        Figure("Close of the lost port", NowMs() - start, "ms");
        EXPECT_EQ(nullptr, host.GetHandle());
        EXPECT_EQ(CL::PORT_NONE, host.GetPort());
        ASSERT_TRUE(pair.Restore()) << pair.Error();
        ASSERT_EQ(CL::ERR_OK, host.Open(Port()));
        PeerPort peer(pair.ComB());
        ASSERT_TRUE(peer.IsOpen());
        EXPECT_EQ(CL::ERR_OK, host.Send("back"));
        EXPECT_EQ("back", peer.Read(4, 2000));
        ASSERT_TRUE(peer.Write("again"));
        EXPECT_TRUE(Eventually([&] { return host.hooks > 0; }));
        EXPECT_EQ(CL::ERR_OK, host.Close());
    }

    // First, so that it watches the closing of the port and the pair at the end too.
    Watchdog watchdog{"a device-loss test", 60000};
    NullModemPair pair;
    CountingHost host;
};

TEST_F(DeviceLoss, WhileIdleEveryOperationFailsPlainlyAndThePortRecovers)
{
    // For comparison: a live idle port costs Wine's 1 ms poll of the pending wait.
    Figure("idle: CPU before the loss", CpuShare() * 100, "% of a core");
    const DWORD error = host.GetLastError();
    Vanish();
    ExpectQuiet("idle");

    // Every operation fails at once with its own code, and the port still counts as open.
    unsigned long count = 7;
    EXPECT_EQ(CL::ERR_IO, host.Send("lost", 4, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(CL::ERR_IO, host.Send("lost"));
    EXPECT_EQ(error, host.GetLastError()) << "a failed Send stores no code";
    char buffer[8];
    count = 7;
    EXPECT_FALSE(host.Receive(buffer, sizeof buffer, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(0u, host.GetLineStat());
    EXPECT_EQ(CL::ERR_IO, host.SetDCB(host.GetDCB()));
    EXPECT_EQ(CL::ERR_SYSTEM, host.SetLineStat(SETDTR));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), host.GetLastError());
    EXPECT_NE(nullptr, host.GetHandle());
    EXPECT_EQ(Port(), host.GetPort());
    EXPECT_EQ(CL::ERR_ALREADY, host.Open(Port())) << "the lost port is still the open one";

    ExpectRecovery();
}

TEST_F(DeviceLoss, AWaitingReceiveEndsWithFalse)
{
    // Nothing arrives, so each Receive waits out its 1 s read time-out; the device goes while one
    // of them waits.
    std::atomic<bool> stop{false};
    std::atomic<double> endedAt{0};
    std::atomic<int> ended{-1};
    std::atomic<unsigned long> endedCount{0};
    std::atomic<double> vanishAt{0};
    std::thread reader([&] {
        while (!stop) {
            char buffer[64];
            unsigned long got = 0;
            const double start = NowMs();
            const bool ok = host.Receive(buffer, sizeof buffer, &got);
            const double at = vanishAt;
            if (at != 0 && start < at) {
                ended = ok;
                endedCount = got;
                endedAt = NowMs();
                return;
            }
        }
    });
    Sleep(300);
    vanishAt = NowMs();
    Vanish();
    ASSERT_TRUE(Eventually([&] { return ended != -1; }, 5000));
    stop = true;
    reader.join();
    Figure("Receive ended after the vanish began", endedAt - vanishAt, "ms");
    EXPECT_EQ(0, ended.load()) << "the read on the lost device failed";
    EXPECT_EQ(0u, endedCount.load());
    EXPECT_LT(endedAt - vanishAt, 2000.0) << "the read did not outlive the device";
    ExpectQuiet("after a waiting Receive");
    ExpectRecovery();
}

TEST_F(DeviceLoss, WhileEventsStreamTheHooksStopAndNothingSpins)
{
    auto peer = std::make_unique<PeerPort>(pair.ComB());
    ASSERT_TRUE(peer->IsOpen());
    std::atomic<bool> stop{false};
    std::atomic<long> peerWrites{0};
    std::thread stream([&] {
        for (unsigned i = 0; !stop; ++i) {
            // The peer's handle dies with the device: its calls then fail, and it stops.
            if (!peer->Write("0123456789abcdef") || !peer->Escape(i % 2 ? SETDTR : CLRDTR))
                return;
            ++peerWrites;
            Sleep(1);
        }
    });
    ASSERT_TRUE(Eventually([&] { return host.hooks > 20; }));
    const long before = host.hooks;
    Vanish();
    stop = true;
    stream.join();
    peer.reset();
    Figure("hooks before the vanish", std::to_string(before));
    Figure("peer writes before the vanish", std::to_string(peerWrites));
    ExpectQuiet("streaming");
    ExpectRecovery();
}

} // namespace
