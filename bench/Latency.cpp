// One byte at a time from the peer: the time until the library's EventRx is entered, against the
// time until a raw overlapped WaitCommEvent on the same port ends. The two alternate in rounds.
#include <cstdio>
#include <vector>

#include "Arrival.h"
#include "Bench.h"
#include "Clock.h"
#include "CpuTimes.h"
#include "RawEventLoop.h"

namespace {

constexpr int kRounds = 6;
constexpr int kSamplesPerRound = 100;
constexpr DWORD kArrivalWaitMs = 2000;
constexpr DWORD kRawStartMs = 50;

// Reads the bytes that an event announced, with read(buffer, length).
template <class Read>
void Drain(unsigned long queued, Read read)
{
    char buffer[64];
    if (queued > 0)
        read(buffer, queued < sizeof buffer ? queued : static_cast<unsigned long>(sizeof buffer));
}

// Marks the arrival first thing in EventRx, then reads what EventRx announced.
class ArrivalHost : public CCommLib {
public:
    explicit ArrivalHost(Arrival& arrival) : arrival(arrival) {}
    // The hook uses this object's members, so the port closes before they go.
    ~ArrivalHost() { Close(); }

    void EventRx(unsigned long bytesInQueue) override
    {
        arrival.Mark();
        Drain(bytesInQueue, [this](char* buffer, unsigned long length) {
            unsigned long got = 0;
            Receive(buffer, length, &got);
        });
        arrival.Signal();
    }

private:
    Arrival& arrival;
};

// The samples of one way of waiting, with the CPU they took.
struct Samples {
    std::vector<double> ms;
    std::vector<Summary> rounds;
    CpuTimes cpu{0, 0, true}; // summed
};

bool Sample(RawPort& peer, Arrival& arrival, Samples* samples, std::string* error)
{
    const CpuTimes cpu = CpuTimes::Now();
    std::vector<double> round;
    for (int i = 0; i < kSamplesPerRound; ++i) {
        // Writes at varying phases of Wine's 1 ms poll of the port.
        Sleep(1 + i % 3);
        arrival.Arm();
        const char byte = static_cast<char>(i);
        DWORD done = 0;
        const double sent = NowMs();
        if (!peer.Write(&byte, 1, &done) || done != 1) {
            const DWORD code = GetLastError();
            *error = "the peer's write failed with error " + std::to_string(code);
            return false;
        }
        double seen = 0;
        if (!arrival.Wait(kArrivalWaitMs, &seen)) {
            *error = "a byte was not seen within " + std::to_string(kArrivalWaitMs) + " ms";
            return false;
        }
        round.push_back(seen - sent);
    }
    samples->ms.insert(samples->ms.end(), round.begin(), round.end());
    samples->rounds.push_back(Summarize(round));
    samples->cpu += CpuTimes::Since(cpu);
    return true;
}

bool LibraryRound(const BenchSetup& setup, Samples* samples, std::string* error)
{
    Arrival arrival;
    ArrivalHost host(arrival);
    return OpenLibrary(host, setup.comA, error) && Sample(setup.peer, arrival, samples, error);
}

bool RawRound(const BenchSetup& setup, Samples* samples, std::string* error)
{
    RawPort port(setup.comA, setup.settings);
    if (!RawOpened(port, error))
        return false;
    Arrival arrival;
    RawEventLoop loop(port.Handle(), [&] {
        arrival.Mark();
        Drain(port.InQueue(), [&port](char* buffer, unsigned long length) {
            DWORD got = 0;
            port.Read(buffer, length, &got);
        });
        arrival.Signal();
    });
    if (!LoopStarted(loop, error))
        return false;
    Sleep(kRawStartMs);
    const bool sampled = Sample(setup.peer, arrival, samples, error);
    return LoopStopped(loop, error) && sampled;
}

LatencyResult Compare(const Samples& library, const Samples& raw)
{
    std::vector<double> medians, p99s;
    for (size_t i = 0; i < library.rounds.size(); ++i) {
        medians.push_back(library.rounds[i].median / raw.rounds[i].median);
        p99s.push_back(library.rounds[i].p99 / raw.rounds[i].p99);
    }
    const Summary l = Summarize(library.ms), r = Summarize(raw.ms);
    return {{l.median / r.median, StandardError(medians)}, {l.p99 / r.p99, StandardError(p99s)}};
}

void PrintCpu(const Samples& library, const Samples& raw)
{
    const double n = static_cast<double>(library.ms.size());
    std::printf("%-28s process %.0f/%.0f us", "  CPU per byte lib/raw",
                1000.0 * library.cpu.processMs / n, 1000.0 * raw.cpu.processMs / n);
    if (library.cpu.serverKnown && raw.cpu.serverKnown)
        std::printf("   wine server %.0f/%.0f us", 1000.0 * library.cpu.serverMs / n,
                    1000.0 * raw.cpu.serverMs / n);
    std::printf("\n");
}

} // namespace

bool MeasureLatency(const BenchSetup& setup, LatencyResult* result, std::string* error)
{
    Samples library, raw;
    for (int round = 0; round < kRounds; ++round) {
        const auto run = [&](bool ofLibrary) {
            return ofLibrary ? LibraryRound(setup, &library, error)
                             : RawRound(setup, &raw, error);
        };
        // Alternating which goes first evens out a drift of the machine's load.
        const bool libraryFirst = round % 2 == 0;
        if (!run(libraryFirst) || !run(!libraryFirst))
            return false;
    }
    std::printf("Latency, peer's WriteFile of a byte to the event, %zu bytes each\n",
                library.ms.size());
    PrintSummary("  library (EventRx entered)", "ms", Summarize(library.ms));
    PrintSummary("  raw (WaitCommEvent ended)", "ms", Summarize(raw.ms));
    PrintCpu(library, raw);
    *result = Compare(library, raw);
    return true;
}
