// The event hooks of a CCommLib host on a null-modem port, the peer driven as the other port.
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "Eventually.h"
#include "ImportPatch.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "RecordingHost.h"

namespace {

using CL = CCommLib;

class Events : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_TRUE(peer.IsOpen());
    }
    void Open(CCommLib& host)
    {
        ASSERT_EQ(CL::ERR_OK, host.Open(PortOf(pair.ComA())));
    }

    NullModemPair pair;
    PeerPort peer{pair.ComB()};
};

// Reads in EventRx exactly what it announces, as a host should.
void ReceiveAnnounced(std::string& into, RecordingHost& host, unsigned long n)
{
    std::string chunk(n, '\0');
    unsigned long got = 0;
    if (host.Receive(&chunk[0], n, &got))
        into.append(chunk, 0, got);
}

// What Mokacomm.dll's last ClearCommError did on the calling thread. The event thread calls it
// once per wake-up, right before that wake-up's hooks, so a hook finds its own wake-up's here.
struct Cleared {
    const COMSTAT* record = nullptr;
    COMSTAT status{};
    DWORD errors = 0;
};
thread_local Cleared cleared;
// Wine's ClearCommError reports no error bits: these are added to its word, as Windows would
// report the error the rig injects.
std::atomic<DWORD> addedErrors{0};

BOOL WINAPI RecordingClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status)
{
    const BOOL done = ClearCommError(port, errors, status);
    if (done && errors)
        *errors |= addedErrors;
    cleared.record = status;
    if (status)
        cleared.status = *status;
    cleared.errors = errors ? *errors : 0;
    return done;
}

// An object takes its kernel32 table when it is made: make it while the recorder lives.
class ClearCommErrorRecorder : public ImportPatch {
public:
    ClearCommErrorRecorder()
        : ImportPatch(GetModuleHandleA("Mokacomm.dll"), "kernel32.dll", "ClearCommError",
                      reinterpret_cast<void*>(&RecordingClearCommError))
    {
    }
};

TEST_F(Events, BytesFromThePeerReachEventRxAndReceiveReturnsThemInOrder)
{
    ClearCommErrorRecorder recorder;
    ASSERT_TRUE(recorder.Ok());
    RecordingHost host;
    std::string received;
    std::vector<DWORD> queued; // at each EventRx's wake-up; the event thread's until Close
    host.onRx = [&](RecordingHost& h, unsigned long n) {
        queued.push_back(cleared.status.cbInQue);
        ReceiveAnnounced(received, h, n);
    };
    Open(host);
    const std::string message = "The quick brown fox 0123456789";
    ASSERT_TRUE(peer.Write(message));
    ASSERT_TRUE(Eventually([&] { return received.size() >= message.size(); }));
    EXPECT_EQ(CL::ERR_OK, host.Close());
    EXPECT_EQ(message, received);
    std::vector<DWORD> announced;
    for (const HookCall& c : host.Calls()) {
        if (c.hook == 'R') {
            announced.push_back(c.value);
            EXPECT_NE(GetCurrentThreadId(), c.thread) << "hooks run on the event thread";
        }
    }
    EXPECT_FALSE(announced.empty());
    EXPECT_EQ(queued, announced) << "EventRx announces the bytes waiting at its wake-up";
}

TEST_F(Events, ModemLineChangesOfThePeerArriveAsEventLine)
{
    constexpr DWORD kLines = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
    struct Change {
        const char* name;
        DWORD function;
        DWORD lines; // as the host sees them afterwards
    };
    RecordingHost host;
    Open(host);
    // The peer's DTR drives DSR and RLSD at once: one change, one wake-up, one EventLine.
    for (const Change change : {Change{"SETDTR", SETDTR, MS_DSR_ON | MS_RLSD_ON},
                                Change{"SETRTS", SETRTS, kLines},
                                Change{"CLRDTR", CLRDTR, MS_CTS_ON}}) {
        host.Clear();
        ASSERT_TRUE(host.WaitForNextWait());
        ASSERT_TRUE(peer.Escape(change.function));
        EXPECT_TRUE(host.WaitFor([&](const HookCall& c) {
            return c.hook == 'L' && (c.value & kLines) == change.lines;
        })) << change.name << ": " << host.Letters();
        ASSERT_TRUE(host.WaitForNextWait());
        EXPECT_EQ("L", host.Letters()) << change.name;
    }
    EXPECT_EQ(MS_CTS_ON, host.GetLineStat() & kLines);
    ASSERT_EQ(CL::ERR_OK, host.Close());
    EXPECT_FALSE(host.WaitForNextWait(300)) << "a closed port has no wait pending";
}

TEST_F(Events, RingAndBreakAreLineEventsAndAReceiveErrorIsAnError)
{
    ClearCommErrorRecorder recorder;
    ASSERT_TRUE(recorder.Ok());
    struct ErrorCall {
        const COMSTAT* status;
        unsigned long errors;
        Cleared cleared;   // by the ClearCommError of the call's wake-up
        bool sameContents; // status holds what that ClearCommError wrote
    };
    std::mutex errorLock;
    std::vector<ErrorCall> errorCalls;
    RecordingHost host;
    host.onError = [&](RecordingHost&, COMSTAT& status, unsigned long errors) {
        const bool same = memcmp(&status, &cleared.status, sizeof status) == 0;
        std::lock_guard<std::mutex> guard(errorLock);
        errorCalls.push_back({&status, errors, cleared, same});
    };
    auto errorCount = [&] {
        std::lock_guard<std::mutex> guard(errorLock);
        return errorCalls.size();
    };
    Open(host);
    ASSERT_TRUE(pair.SetRing(pair.ComA(), true));
    EXPECT_TRUE(host.WaitFor([](const HookCall& c) { return c.hook == 'L' && (c.value & MS_RING_ON); }));

    host.Clear();
    ASSERT_TRUE(host.WaitForNextWait());
    ASSERT_TRUE(peer.Escape(SETBREAK));
    EXPECT_TRUE(host.WaitForHook('L'));
    ASSERT_TRUE(peer.Escape(CLRBREAK));
    Sleep(50);
    EXPECT_EQ(0u, host.Count('E')) << "a break alone is no line error";

    struct Injected {
        const char* name;
        NullModemPair::LineError kind;
        DWORD error;
    };
    for (const Injected injected : {Injected{"framing", NullModemPair::Framing, CE_FRAME},
                                    Injected{"parity", NullModemPair::Parity, CE_RXPARITY},
                                    Injected{"overrun", NullModemPair::Overrun, CE_OVERRUN}}) {
        host.Clear();
        ASSERT_TRUE(host.WaitForNextWait());
        const size_t before = errorCount();
        addedErrors = injected.error;
        ASSERT_TRUE(pair.InjectError(pair.ComA(), injected.kind));
        ASSERT_TRUE(Eventually([&] { return errorCount() > before; }))
            << injected.name << ": " << host.Letters();
        addedErrors = 0;
        std::lock_guard<std::mutex> guard(errorLock);
        const ErrorCall& call = errorCalls.back();
        EXPECT_EQ(call.cleared.record, call.status) << injected.name << ": the engine's own record";
        EXPECT_TRUE(call.sameContents) << injected.name;
        EXPECT_EQ(call.cleared.errors, call.errors) << injected.name;
        EXPECT_EQ(injected.error, call.errors & injected.error) << injected.name;
        EXPECT_EQ(errorCalls.front().status, call.status) << "one record for every call";
    }
}

TEST_F(Events, EventTxEndFollowsASendAndMaySendItself)
{
    RecordingHost host;
    std::atomic<int> inHook{0};
    std::atomic<bool> hookDone{false};
    std::atomic<bool> otherSendFinished{false};
    std::atomic<bool> otherSendSawHookRunning{false};
    host.onTxEnd = [&](RecordingHost& h) {
        if (inHook++ != 0)
            return;
        // Under the port lock: a Send from here must not dead-lock ...
        EXPECT_EQ(CL::ERR_OK, h.Send("+"));
        Sleep(200);
        hookDone = true;
    };
    Open(host);
    std::thread other;
    ASSERT_EQ(CL::ERR_OK, host.Send("abc"));
    ASSERT_TRUE(Eventually([&] { return inHook.load() > 0; }));
    other = std::thread([&] {
        // ... while another thread's Send waits for the hook to return.
        const CL::ERR r = host.Send("z");
        otherSendSawHookRunning = !hookDone;
        otherSendFinished = r == CL::ERR_OK;
    });
    other.join();
    EXPECT_TRUE(otherSendFinished);
    EXPECT_FALSE(otherSendSawHookRunning) << "the other Send returned while EventTxEnd ran";
    EXPECT_EQ("abc+z", peer.Read(5, 2000));
}

TEST_F(Events, AHostWithoutHooksHasItsEventsClearedQuietly)
{
    CCommLib plain;
    ASSERT_EQ(CL::ERR_OK, plain.Open(PortOf(pair.ComA())));
    ASSERT_TRUE(peer.Write("data"));
    ASSERT_TRUE(peer.Escape(SETDTR));
    EXPECT_TRUE(Eventually([&] { return (plain.GetLineStat() & MS_DSR_ON) != 0; }));
    char buffer[8];
    unsigned long got = 0;
    EXPECT_TRUE(plain.Receive(buffer, 4, &got));
    EXPECT_EQ(4u, got);
    EXPECT_EQ(CL::ERR_OK, plain.Close());
}

TEST_F(Events, BytesLeftUnreadAreNotReportedOverAndOver)
{
    RecordingHost host;
    Open(host);
    ASSERT_TRUE(peer.Write("unread"));
    ASSERT_TRUE(host.WaitForHook('R'));
    Sleep(1000);
    // Wine reports waiting bytes again at every wait; the engine paces such repeats (10 ms),
    // where an unpaced loop runs thousands of times a second.
    EXPECT_LE(host.Count('R'), 150u);
    const std::vector<HookCall> calls = host.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(6u, calls.back().value) << "all six bytes wait, unread";
    char buffer[8];
    unsigned long got = 0;
    EXPECT_TRUE(host.Receive(buffer, 6, &got));
    EXPECT_EQ("unread", std::string(buffer, got));
}

TEST_F(Events, NoHookRunsOnceCloseHasReturned)
{
    RecordingHost host;
    std::atomic<bool> closed{false};
    std::atomic<int> late{0};
    auto check = [&] {
        if (closed)
            ++late;
    };
    host.onRx = [&](RecordingHost&, unsigned long) { check(); };
    host.onLine = [&](RecordingHost&, unsigned long) { check(); };
    host.onTxEnd = [&](RecordingHost&) { check(); };
    Open(host);
    std::atomic<bool> stop{false};
    std::thread stream([&] {
        for (int i = 0; !stop; ++i) {
            peer.Write("0123456789");
            peer.Escape(i % 2 ? SETDTR : CLRDTR);
            Sleep(1);
        }
    });
    ASSERT_TRUE(host.WaitForHook('R'));
    EXPECT_EQ(CL::ERR_OK, host.Close());
    closed = true;
    Sleep(200);
    stop = true;
    stream.join();
    EXPECT_EQ(0, late.load());
}

} // namespace

namespace {

// Each hook in turn closes its own port.
class CloseFromHook : public Events, public ::testing::WithParamInterface<char> {
protected:
    void Provoke(char hook, RecordingHost& host)
    {
        switch (hook) {
        case 'R':
            ASSERT_TRUE(peer.Write("r"));
            break;
        case 'L':
            ASSERT_TRUE(peer.Escape(SETDTR));
            break;
        case 'T':
            ASSERT_EQ(CL::ERR_OK, host.Send("t"));
            break;
        case 'E':
            ASSERT_TRUE(pair.InjectError(pair.ComA(), NullModemPair::Framing));
            break;
        }
    }
};

TEST_P(CloseFromHook, ReturnsAtOnceWithThePortClosedAndNoHookFollows)
{
    const char hook = GetParam();
    RecordingHost host;
    std::atomic<int> result{-1};
    std::atomic<ULONGLONG> took{0};
    auto closeHere = [&](RecordingHost& h) {
        if (result != -1)
            return;
        const ULONGLONG start = GetTickCount64();
        result = h.Close();
        took = GetTickCount64() - start;
    };
    host.onRx = [&](RecordingHost& h, unsigned long) { if (hook == 'R') closeHere(h); };
    host.onLine = [&](RecordingHost& h, unsigned long) { if (hook == 'L') closeHere(h); };
    host.onTxEnd = [&](RecordingHost& h) { if (hook == 'T') closeHere(h); };
    host.onError = [&](RecordingHost& h, COMSTAT&, unsigned long) { if (hook == 'E') closeHere(h); };
    Open(host);
    Provoke(hook, host);
    ASSERT_TRUE(Eventually([&] { return result != -1; }, 15000));
    // The thread cannot wait for itself; it is not left waiting its 10 s either.
    EXPECT_EQ(CL::ERR_THREAD_TIMEOUT, result.load());
    EXPECT_LT(took.load(), 5000u);
    EXPECT_EQ(nullptr, host.GetHandle());
    EXPECT_EQ(CL::PORT_NONE, host.GetPort());

    const size_t calls = host.Calls().size();
    peer.Write("more");
    peer.Escape(CLRDTR);
    Sleep(100);
    EXPECT_EQ(calls, host.Calls().size()) << host.Letters();
    // The port opens again, and the old thread never acts on the new one.
    host.onRx = nullptr;
    host.onLine = nullptr;
    host.onTxEnd = nullptr;
    host.onError = nullptr;
    Open(host);
    EXPECT_EQ(CL::ERR_OK, host.Close());
}

INSTANTIATE_TEST_SUITE_P(EachHook, CloseFromHook, ::testing::Values('R', 'L', 'T', 'E'));

HANDLE maskEmptied = nullptr;

// Close empties the event mask while it holds the lock, before it waits for the thread.
BOOL WINAPI NoteEmptyMask(HANDLE port, DWORD mask)
{
    const BOOL done = SetCommMask(port, mask);
    if (mask == 0)
        SetEvent(maskEmptied);
    return done;
}

TEST_F(Events, AHookThatWantsTheLockDoesNotHoldUpAHostClose)
{
    maskEmptied = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ImportPatch watcher(GetModuleHandleA("Mokacomm.dll"), "kernel32.dll", "SetCommMask",
                        reinterpret_cast<void*>(&NoteEmptyMask));
    ASSERT_TRUE(watcher.Ok());
    RecordingHost host;
    std::atomic<bool> inHook{false};
    std::atomic<int> hookReceive{-1};
    host.onRx = [&](RecordingHost& h, unsigned long n) {
        if (inHook.exchange(true))
            return;
        // The host thread is in Close from here, holding the lock.
        WaitForSingleObject(maskEmptied, 5000);
        char buffer[64];
        unsigned long got = 0;
        hookReceive = h.Receive(buffer, n < 64 ? n : 64, &got);
    };
    Open(host);
    ASSERT_TRUE(peer.Write("data"));
    ASSERT_TRUE(Eventually([&] { return inHook.load(); }));
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(CL::ERR_OK, host.Close());
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(0, hookReceive.load()) << "the hook's Receive found the port closing";
    CloseHandle(maskEmptied);
}

} // namespace
