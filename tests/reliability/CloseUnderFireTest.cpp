// Close, and destruction of the object, from a host thread while every kind of event arrives and
// the hooks call back into the port. Close from inside each hook is in tests/rig/EventsTest.cpp,
// destruction of the creator while a copy keeps the port in tests/rig/CCommLibTest.cpp.
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "Figures.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "Watchdog.h"

namespace {

using CL = CCommLib;

constexpr double kStallMs = 2000;

// Outlives every host object, so that a hook that came too late is counted, not a crash.
struct Tracker {
    std::atomic<bool> over{false};
    std::atomic<long> late{0};
    std::atomic<long> rx{0}, line{0}, txEnd{0}, error{0};

    void Hook(std::atomic<long>& kind)
    {
        ++kind;
        if (over)
            ++late;
    }
};

// Its hooks touch nothing of the object itself, so it may be destroyed with its port open.
class FireHost final : public CCommLib {
public:
    explicit FireHost(Tracker& tracker) : tracker(tracker) {}

    void EventRx(unsigned long n) override
    {
        tracker.Hook(tracker.rx);
        char buffer[256];
        unsigned long got = 0;
        Receive(buffer, n < sizeof buffer ? n : sizeof buffer, &got);
        Send("r"); // leads to EV_TXEMPTY
    }
    void EventLine(unsigned long) override
    {
        tracker.Hook(tracker.line);
        GetLineStat();
    }
    void EventTxEnd() override
    {
        tracker.Hook(tracker.txEnd);
        SetLineStat(SETRTS);
    }
    void EventError(COMSTAT&, unsigned long) override { tracker.Hook(tracker.error); }

private:
    Tracker& tracker;
};

TEST(CloseUnderFire, CloseAndDestructionEndEveryHookAndNeverStall)
{
    const long cycles = EnvNumber("MOKACOMM_FIRE_CYCLES", 40);
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    PeerPort peer(pair.ComB());
    ASSERT_TRUE(peer.IsOpen());
    const auto port = PortOf(pair.ComA());

    std::atomic<bool> firing{true};
    std::atomic<long> injected{0};
    // Bytes and the peer's DTR and RTS (EV_RXCHAR, EV_DSR, EV_RLSD, EV_CTS) ...
    std::thread stream([&] {
        for (unsigned i = 0; firing; ++i) {
            peer.Write("0123456789");
            peer.Escape(i % 2 ? SETDTR : CLRDTR);
            peer.Escape(i % 3 ? SETRTS : CLRRTS);
            Sleep(1);
        }
    });
    // ... and RING, breaks and receive errors from the cable (EV_RING, EV_BREAK, EV_ERR).
    std::thread cable([&] {
        const NullModemPair::LineError kinds[] = {NullModemPair::Framing, NullModemPair::Parity,
                                                  NullModemPair::Overrun};
        for (unsigned i = 0; firing; ++i) {
            const int com = pair.ComA();
            const bool done = i % 3 == 0   ? pair.SetRing(com, i % 2 == 0)
                              : i % 3 == 1 ? pair.Break(com)
                                           : pair.InjectError(com, kinds[i / 3 % 3]);
            injected += done;
        }
    });

    Tracker tracker;
    std::vector<double> closes, destructions;
    long bad = 0;
    std::minstd_rand random(7);
    {
        Watchdog watchdog("Close under fire", static_cast<DWORD>(cycles * 3000 + 30000), [&] {
            return std::to_string(closes.size() + destructions.size()) + " cycles done";
        });
        for (long i = 0; i < cycles; ++i) {
            auto* host = new FireHost(tracker);
            tracker.over = false;
            if (host->Open(port) != CL::ERR_OK) {
                ADD_FAILURE() << "cycle " << i << ": Open failed, " << host->GetLastError();
                delete host;
                break;
            }
            Sleep(20 + random() % 100);
            const double start = NowMs();
            if (i % 2 == 0) {
                const CL::ERR result = host->Close();
                tracker.over = true;
                closes.push_back(NowMs() - start);
                bad += result != CL::ERR_OK;
                Sleep(20);
                delete host;
            } else {
                delete host;
                tracker.over = true;
                destructions.push_back(NowMs() - start);
                Sleep(20);
            }
        }
    }
    firing = false;
    stream.join();
    cable.join();

    const Spread close(closes), destruction(destructions);
    Figure("cycles", std::to_string(closes.size() + destructions.size()));
    Figure("Close under fire", close.Describe("ms"));
    Figure("destruction under fire", destruction.Describe("ms"));
    Figure("cable events injected", std::to_string(injected));
    Figure("hooks EventRx, EventLine, EventTxEnd, EventError",
           std::to_string(tracker.rx) + ", " + std::to_string(tracker.line) + ", " +
               std::to_string(tracker.txEnd) + ", " + std::to_string(tracker.error));

    EXPECT_EQ(0, bad) << "a Close under fire did not return ERR_OK";
    EXPECT_EQ(0, tracker.late.load()) << "a hook ran after Close or destruction returned";
    EXPECT_LT(close.max, kStallMs);
    EXPECT_LT(destruction.max, kStallMs);
    EXPECT_GT(tracker.rx.load(), 0);
    EXPECT_GT(tracker.line.load(), 0);
    EXPECT_GT(tracker.txEnd.load(), 0);
    EXPECT_GT(tracker.error.load(), 0);
    CCommLib probe;
    EXPECT_EQ(CL::ERR_OK, probe.Open(port)) << "the port was let go";
}

} // namespace
