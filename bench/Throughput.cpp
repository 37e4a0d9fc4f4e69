// 16 MiB each way in 4 KiB blocks, through CCommLib and through a RawPort on the same port. The
// bytes follow a pattern that depends on their offset, checked at the far end, so a lost,
// doubled or misplaced block shows.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "Bench.h"
#include "Clock.h"
#include "CpuTimes.h"

namespace {

constexpr size_t kTotal = 16u << 20;
constexpr DWORD kBlock = 4096;
constexpr int kRounds = 6;
// A read waits at most its 1000 ms time-out; this much time without a byte ends the transfer.
constexpr ULONGLONG kStallMs = 5000;

using SendBlock = std::function<bool(const char*, DWORD, DWORD*)>;
using ReceiveBlock = std::function<bool(char*, DWORD, DWORD*)>;

std::vector<char> Pattern()
{
    std::vector<char> bytes(kTotal);
    for (size_t i = 0; i < kTotal; ++i)
        bytes[i] = static_cast<char>((static_cast<unsigned>(i) * 2654435761u) >> 24);
    return bytes;
}

bool SendAll(const std::vector<char>& pattern, const SendBlock& send, std::string* error)
{
    for (size_t offset = 0; offset < pattern.size(); offset += kBlock) {
        DWORD done = 0;
        if (!send(&pattern[offset], kBlock, &done) || done != kBlock) {
            *error = "sending the block at offset " + std::to_string(offset) + " failed (" +
                     std::to_string(done) + " bytes written)";
            return false;
        }
    }
    return true;
}

bool ReceiveAll(const std::vector<char>& pattern, const ReceiveBlock& receive, double* endMs,
                std::string* error)
{
    std::vector<char> block(kBlock);
    size_t got = 0;
    ULONGLONG lastProgress = GetTickCount64();
    while (got < pattern.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(kBlock, pattern.size() - got));
        // A read that ends by its time-out may fail and still have delivered bytes: the count
        // says what came either way.
        DWORD done = 0;
        receive(block.data(), want, &done);
        if (done > 0) {
            const auto bad = std::mismatch(block.begin(), block.begin() + done,
                                           pattern.begin() + static_cast<ptrdiff_t>(got));
            if (bad.first != block.begin() + done) {
                *error = "the byte at offset " +
                         std::to_string(got + static_cast<size_t>(bad.first - block.begin())) +
                         " differs from what was sent";
                return false;
            }
            got += done;
            lastProgress = GetTickCount64();
        } else if (GetTickCount64() - lastProgress > kStallMs) {
            *error = "no data for " + std::to_string(kStallMs) + " ms after " +
                     std::to_string(got) + " bytes";
            return false;
        }
    }
    *endMs = NowMs();
    return true;
}

struct Transfer {
    double rate; // MiB/s
    CpuTimes cpu;
};

// From the first block sent until the receiver holds the last byte.
bool TimeTransfer(const std::vector<char>& pattern, const SendBlock& send,
                  const ReceiveBlock& receive, Transfer* transfer, std::string* error)
{
    std::string receiveError, sendError;
    double end = 0;
    bool received = false;
    std::thread receiver([&] { received = ReceiveAll(pattern, receive, &end, &receiveError); });
    const CpuTimes cpu = CpuTimes::Now();
    const double start = NowMs();
    const bool sent = SendAll(pattern, send, &sendError);
    receiver.join();
    transfer->cpu = CpuTimes::Since(cpu);
    if (!sent || !received) {
        *error = !sent ? sendError : receiveError;
        return false;
    }
    transfer->rate =
        static_cast<double>(pattern.size()) / (1024.0 * 1024.0) / ((end - start) / 1000.0);
    return true;
}

// One direction's figures over all rounds.
struct Direction {
    std::vector<double> rates;
    CpuTimes cpu{0, 0, true}; // summed
    void Add(const Transfer& t)
    {
        rates.push_back(t.rate);
        cpu += t.cpu;
    }
};
// Both directions through one way of driving COM A: the library or the raw calls.
struct Way {
    Direction send, receive;
};

// Both directions on COM A, opened one way or the other; the peer's side is always the same.
bool RunWay(const BenchSetup& setup, const std::vector<char>& pattern, const SendBlock& send,
            const ReceiveBlock& receive, Way* way, std::string* error)
{
    RawPort& peer = setup.peer;
    const SendBlock peerSend = [&](const char* d, DWORD n, DWORD* done) {
        return peer.Write(d, n, done);
    };
    const ReceiveBlock peerReceive = [&](char* d, DWORD n, DWORD* done) {
        return peer.Read(d, n, done);
    };
    Transfer out{}, in{};
    if (!TimeTransfer(pattern, send, peerReceive, &out, error) ||
        !TimeTransfer(pattern, peerSend, receive, &in, error))
        return false;
    way->send.Add(out);
    way->receive.Add(in);
    return true;
}

// A host that counts the hooks that the transfers bring about, and does nothing else in them.
class CountingHost : public CCommLib {
public:
    // The hooks use this object's members, so the port closes before they go.
    ~CountingHost() { Close(); }
    void EventRx(unsigned long) override { ++rx; }
    void EventTxEnd() override { ++txEnd; }
    std::atomic<long> rx{0}, txEnd{0};
};

bool LibraryRound(const BenchSetup& setup, const std::vector<char>& pattern, Way* way,
                  long* rxHooks, long* txEndHooks, std::string* error)
{
    CountingHost host;
    if (!OpenLibrary(host, setup.comA, error))
        return false;
    const SendBlock send = [&](const char* d, DWORD n, DWORD* done) {
        unsigned long written = 0;
        const bool ok = host.Send(d, n, &written) == CCommLib::ERR_OK;
        *done = written;
        return ok;
    };
    const ReceiveBlock receive = [&](char* d, DWORD n, DWORD* done) {
        unsigned long got = 0;
        const bool ok = host.Receive(d, n, &got);
        *done = got;
        return ok;
    };
    const bool ran = RunWay(setup, pattern, send, receive, way, error);
    host.Close();
    *rxHooks += host.rx;
    *txEndHooks += host.txEnd;
    if (!ran)
        *error = "library: " + *error;
    return ran;
}

bool RawRound(const BenchSetup& setup, const std::vector<char>& pattern, Way* way,
              std::string* error)
{
    RawPort raw(setup.comA, setup.settings);
    if (!RawOpened(raw, error))
        return false;
    const SendBlock send = [&](const char* d, DWORD n, DWORD* done) {
        return raw.Write(d, n, done);
    };
    const ReceiveBlock receive = [&](char* d, DWORD n, DWORD* done) {
        return raw.Read(d, n, done);
    };
    if (RunWay(setup, pattern, send, receive, way, error))
        return true;
    *error = "raw: " + *error;
    return false;
}

double Median(std::vector<double> values)
{
    return Summarize(std::move(values)).median;
}

Estimate Compare(const Direction& library, const Direction& raw)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < library.rates.size(); ++i)
        ratios.push_back(library.rates[i] / raw.rates[i]);
    return {Median(library.rates) / Median(raw.rates), StandardError(ratios)};
}

void PrintDirection(const char* what, const Direction& library, const Direction& raw)
{
    const Estimate ratio = Compare(library, raw);
    std::printf("%-28s library %7.2f MiB/s   raw %7.2f MiB/s   ratio %.3f +-%.3f\n", what,
                Median(library.rates), Median(raw.rates), ratio.value, ratio.error);
    std::printf("%-28s", "    rounds library/raw");
    for (size_t i = 0; i < library.rates.size(); ++i)
        std::printf(" %.1f/%.1f", library.rates[i], raw.rates[i]);
    const double rounds = static_cast<double>(library.rates.size());
    std::printf("\n%-28s process %.0f/%.0f ms", "    CPU per 16 MiB lib/raw",
                library.cpu.processMs / rounds, raw.cpu.processMs / rounds);
    if (library.cpu.serverKnown && raw.cpu.serverKnown)
        std::printf("   wine server %.0f/%.0f ms", library.cpu.serverMs / rounds,
                    raw.cpu.serverMs / rounds);
    std::printf("\n");
}

} // namespace

bool MeasureThroughput(const BenchSetup& setup, ThroughputResult* result, std::string* error)
{
    const std::vector<char> pattern = Pattern();
    Way library, raw;
    long rxHooks = 0, txEndHooks = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto run = [&](bool ofLibrary) {
            return ofLibrary ? LibraryRound(setup, pattern, &library, &rxHooks, &txEndHooks, error)
                             : RawRound(setup, pattern, &raw, error);
        };
        // Alternating which goes first evens out a drift of the machine's load.
        const bool libraryFirst = round % 2 == 0;
        if (!run(libraryFirst) || !run(!libraryFirst))
            return false;
    }
    std::printf("Throughput, %zu MiB each way in %lu-byte blocks, %d rounds (median)\n",
                kTotal >> 20, static_cast<unsigned long>(kBlock), kRounds);
    PrintDirection("  Send to the peer", library.send, raw.send);
    PrintDirection("  peer to Receive", library.receive, raw.receive);
    std::printf("  library hooks per round      EventTxEnd %.0f, EventRx %.0f\n",
                static_cast<double>(txEndHooks) / kRounds, static_cast<double>(rxHooks) / kRounds);
    *result = {Compare(library.send, raw.send), Compare(library.receive, raw.receive)};
    return true;
}
