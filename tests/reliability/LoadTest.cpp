// Four host threads and the event hooks use one port at once while the peer streams and toggles
// its lines: nothing may dead-lock, and each byte must arrive once, in order, both ways.
#include <atomic>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "CounterStream.h"
#include "Eventually.h"
#include "Figures.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "Watchdog.h"

namespace {

using CL = CCommLib;

constexpr unsigned long kLongestChunk = 256;

// Both directions of the traffic, seen from the host.
//
// Receives and Sends are served one at a time under the library's port lock, but which of two
// racing callers went first cannot be seen from outside it. Each direction therefore has a lock
// of its own that orders the calls and the bookkeeping of the stream together.
struct Traffic {
    std::mutex rxOrder;
    CounterCheck fromPeer;
    // fromPeer.Next() and fromPeer.Intact(), readable without rxOrder.
    std::atomic<std::uint64_t> fromPeerCount{0};
    std::atomic<bool> fromPeerIntact{true};
    std::atomic<long> receives{0}, emptyReceives{0};

    std::mutex txOrder;
    std::uint64_t toPeerSent = 0;
    std::atomic<std::uint64_t> toPeerCount{0}; // toPeerSent, readable without txOrder
    std::atomic<long> sends{0}, shortWrites{0};

    std::atomic<bool> sending{true};
    std::atomic<long> unexpected{0};
    std::mutex notesLock;
    std::string notes;

    void Note(const std::string& what)
    {
        ++unexpected;
        std::lock_guard<std::mutex> held(notesLock);
        if (notes.size() < 2000)
            notes += what + "; ";
    }
};

bool ReceiveNext(CCommLib& host, Traffic& t, unsigned long length)
{
    char buffer[kLongestChunk];
    std::lock_guard<std::mutex> held(t.rxOrder);
    unsigned long got = 0;
    // A Receive that the time-outs end with nothing fails on Wine; bytes it took would show as a
    // gap in the stream.
    if (!host.Receive(buffer, length, &got) || got == 0) {
        ++t.emptyReceives;
        return false;
    }
    ++t.receives;
    t.fromPeerIntact = t.fromPeer.Take(buffer, got);
    t.fromPeerCount = t.fromPeer.Next();
    return true;
}

void SendNext(CCommLib& host, Traffic& t, unsigned long length)
{
    char buffer[kLongestChunk];
    FillCounters(t.toPeerSent, buffer, length);
    unsigned long written = 0;
    const CL::ERR result = host.Send(buffer, length, &written);
    ++t.sends;
    if (result == CL::ERR_SHORT_WRITE)
        ++t.shortWrites;
    else if (result != CL::ERR_OK)
        t.Note("Send gave " + std::to_string(result));
    t.toPeerSent += written;
    t.toPeerCount = t.toPeerSent;
}

class LoadHost : public CCommLib {
public:
    explicit LoadHost(Traffic& traffic) : traffic(traffic) {}
    ~LoadHost() { Close(); }

    void EventRx(unsigned long n) override
    {
        ++rx;
        ReceiveNext(*this, traffic, n < kLongestChunk ? n : kLongestChunk);
    }
    void EventLine(unsigned long) override { ++line; }
    // This runs under the port lock, and a host thread may hold txOrder while it waits for that
    // lock: waiting for txOrder here would dead-lock, so the hook sends only when it is free.
    void EventTxEnd() override
    {
        ++txEnd;
        if (!traffic.sending)
            return;
        std::unique_lock<std::mutex> held(traffic.txOrder, std::try_to_lock);
        if (held)
            SendNext(*this, traffic, 16);
    }
    void EventError(COMSTAT&, unsigned long) override { ++error; }

    std::atomic<long> rx{0}, line{0}, txEnd{0}, error{0};

private:
    Traffic& traffic;
};

enum Operation { kReceive, kSend, kSetDcb, kGetLineStat, kSetLineStat, kOperations };
const char* const kOperationNames[kOperations] = {"Receive", "Send", "SetDCB", "GetLineStat",
                                                  "SetLineStat"};

TEST(Load, ThreadsHooksAndThePeerTogetherLoseNothingAndNeverDeadLock)
{
    const long seconds = EnvNumber("MOKACOMM_LOAD_SECONDS", 5);
    NullModemPair pair;
    ASSERT_TRUE(pair.Ok()) << pair.Error();
    PeerPort peer(pair.ComB());
    ASSERT_TRUE(peer.IsOpen());
    Traffic traffic;
    LoadHost host(traffic);
    ASSERT_EQ(CL::ERR_OK, host.Open(PortOf(pair.ComA())));
    const DCB settings = host.GetDCB();

    std::atomic<std::uint64_t> peerSent{0};
    CounterCheck atPeer; // the peer's reader thread only, until it is joined
    std::atomic<std::uint64_t> atPeerCount{0};
    std::atomic<bool> atPeerIntact{true};
    std::atomic<long> operations[kOperations] = {};
    std::atomic<bool> hostRunning{true}, peerWriting{true}, peerReading{true}, peerToggling{true};
    std::atomic<const char*> stage{"under load"};

    Watchdog watchdog("the load", static_cast<DWORD>((seconds + 60) * 1000), [&] {
        return std::string(stage.load()) + "; from the peer " + std::to_string(peerSent.load()) +
               " sent, host at " + std::to_string(traffic.fromPeerCount.load()) +
               "; to the peer " + std::to_string(traffic.toPeerCount.load()) + " sent, " +
               std::to_string(atPeerCount.load()) + " arrived";
    });

    std::vector<std::thread> hostThreads;
    for (unsigned id = 0; id < 4; ++id) {
        hostThreads.emplace_back([&, id] {
            std::minstd_rand random(id + 1);
            while (hostRunning) {
                const auto op = static_cast<Operation>(random() % kOperations);
                ++operations[op];
                switch (op) {
                case kReceive:
                    ReceiveNext(host, traffic, 1 + random() % kLongestChunk);
                    break;
                case kSend: {
                    std::lock_guard<std::mutex> held(traffic.txOrder);
                    SendNext(host, traffic, 1 + random() % kLongestChunk);
                    break;
                }
                case kSetDcb: {
                    DCB d = settings;
                    d.BaudRate = random() % 2 ? CBR_19200 : CBR_115200;
                    if (host.SetDCB(d) != CL::ERR_OK)
                        traffic.Note("SetDCB failed");
                    break;
                }
                case kGetLineStat:
                    host.GetLineStat();
                    break;
                case kSetLineStat: {
                    static const DWORD codes[] = {SETDTR, CLRDTR, SETRTS, CLRRTS};
                    if (host.SetLineStat(codes[random() % 4]) != CL::ERR_OK)
                        traffic.Note("SetLineStat failed");
                    break;
                }
                case kOperations:
                    break;
                }
            }
        });
    }
    std::thread peerWriter([&] {
        std::minstd_rand random(11);
        char buffer[512];
        while (peerWriting) {
            const DWORD length = 1 + random() % sizeof buffer;
            FillCounters(peerSent, buffer, length);
            if (!peer.Write(buffer, length)) {
                traffic.Note("the peer's write failed");
                return;
            }
            peerSent += length;
            Sleep(random() % 3);
        }
    });
    std::thread peerReader([&] {
        while (peerReading) {
            const std::string got = peer.Read(4096, 20);
            atPeerIntact = atPeer.Take(got.data(), got.size());
            atPeerCount = atPeer.Next();
        }
    });
    std::atomic<long> lineToggles{0};
    std::thread peerLines([&] {
        for (unsigned i = 0; peerToggling; ++i) {
            peer.Escape(i % 2 ? SETDTR : CLRDTR);
            peer.Escape(i % 3 ? SETRTS : CLRRTS);
            ++lineToggles;
            Sleep(5);
        }
    });

    const double start = NowMs();
    Sleep(static_cast<DWORD>(seconds * 1000));
    hostRunning = false;
    traffic.sending = false;
    peerWriting = false;
    const double loaded = NowMs() - start;
    stage = "joining the host threads";
    for (std::thread& t : hostThreads)
        t.join();
    const double hostsEnded = NowMs() - start - loaded;
    stage = "joining the peer's writer";
    peerWriter.join();
    const double peerEnded = NowMs() - start - loaded;

    // What is still under way drains: EventRx fetches the rest, the peer reads what was sent.
    std::uint64_t toPeer = 0;
    {
        std::lock_guard<std::mutex> held(traffic.txOrder);
        toPeer = traffic.toPeerSent;
    }
    stage = "draining";
    const bool hostDrained = Eventually(
        [&] { return traffic.fromPeerCount >= peerSent || !traffic.fromPeerIntact; }, 10000);
    const bool peerDrained =
        Eventually([&] { return atPeerCount >= toPeer || !atPeerIntact; }, 10000);
    // Wine records no line change while no wait is pending, and under load every wait ends at
    // once with EV_RXCHAR: the line events come through once the bytes have been fetched.
    const bool linesSeen = Eventually([&] { return host.line > 0; }, 5000);
    stage = "joining the peer's line and reader threads";
    peerToggling = false;
    peerLines.join();
    peerReading = false;
    peerReader.join();
    Sleep(100); // anything more that arrived would be a doubled byte
    stage = "closing";
    const CL::ERR closed = host.Close();
    stage = "checking";

    Figure("load duration", loaded / 1000, "s");
    Figure("host threads ended after", hostsEnded, "ms");
    Figure("peer writer ended after", peerEnded, "ms");
    Figure("bytes peer to host (sent / received in order)",
           std::to_string(peerSent.load()) + " / " + std::to_string(traffic.fromPeer.Next()));
    Figure("bytes host to peer (sent / received in order)",
           std::to_string(toPeer) + " / " + std::to_string(atPeer.Next()));
    std::string counts;
    for (int op = 0; op < kOperations; ++op)
        counts += std::string(op ? ", " : "") + kOperationNames[op] + " " +
                  std::to_string(operations[op]);
    Figure("host thread calls", counts);
    Figure("Receive calls with data / without",
           std::to_string(traffic.receives) + " / " + std::to_string(traffic.emptyReceives));
    Figure("Send calls / short writes",
           std::to_string(traffic.sends) + " / " + std::to_string(traffic.shortWrites));
    Figure("hooks EventRx, EventLine, EventTxEnd, EventError",
           std::to_string(host.rx) + ", " + std::to_string(host.line) + ", " +
               std::to_string(host.txEnd) + ", " + std::to_string(host.error));
    Figure("peer line toggles", std::to_string(lineToggles));

    EXPECT_TRUE(traffic.fromPeer.Intact()) << traffic.fromPeer.Mismatch();
    EXPECT_TRUE(hostDrained) << "the host stopped at " << traffic.fromPeer.Next();
    EXPECT_EQ(peerSent.load(), traffic.fromPeer.Next()) << "every byte from the peer, once";
    EXPECT_TRUE(atPeer.Intact()) << atPeer.Mismatch();
    EXPECT_TRUE(peerDrained) << "the peer stopped at " << atPeer.Next();
    EXPECT_EQ(toPeer, atPeer.Next()) << "every byte the host sent, once";
    EXPECT_EQ(0, traffic.unexpected.load()) << traffic.notes;
    EXPECT_EQ(CL::ERR_OK, closed);
    for (int op = 0; op < kOperations; ++op)
        EXPECT_GT(operations[op].load(), 0) << kOperationNames[op];
    EXPECT_GT(host.rx.load(), 0);
    EXPECT_TRUE(linesSeen) << "no EventLine for the peer's lines";
    EXPECT_GT(host.txEnd.load(), 0);
    EXPECT_GT(peerSent.load(), 0u);
    EXPECT_GT(toPeer, 0u);
}

} // namespace
