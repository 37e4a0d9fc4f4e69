// The event thread at the seam: failing waits, and a Close that holds the lock the thread wants.
#include <atomic>
#include <mutex>
#include <string>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "Eventually.h"
#include "ImportPatch.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "TestEngine.h"

namespace {

using CL = CCommLib;

class CountingEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    void EventRx(unsigned long) override { ++hooks; }
    void EventLine(unsigned long) override { ++hooks; }
    void EventTxEnd() override { ++hooks; }
    void EventError(COMSTAT&, unsigned long) override { ++hooks; }
    std::atomic<int> hooks{0};
};

std::atomic<int> waitCalls{0};

BOOL WINAPI VanishedWait(HANDLE, LPDWORD mask, LPOVERLAPPED)
{
    ++waitCalls;
    *mask = EV_RXCHAR; // what a dying driver might leave behind; it must not be reported
    SetLastError(ERROR_DEVICE_REMOVED);
    return FALSE;
}

std::atomic<DWORD> closeWait{0xFFFFFFFF};
HANDLE eventThread = nullptr;
HANDLE closeWaits = nullptr; // set when Close starts waiting for the event thread, if not null
HANDLE hostReads = nullptr;  // set when the host thread's Receive reads, holding the lock

HANDLE WINAPI KeepThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE proc,
                         LPVOID param, DWORD flags, LPDWORD id)
{
    eventThread = CreateThread(sa, stack, proc, param, flags, id);
    return eventThread;
}

DWORD WINAPI RecordThreadWait(HANDLE h, DWORD ms)
{
    if (h == eventThread && closeWaits)
        SetEvent(closeWaits);
    const DWORD r = WaitForSingleObject(h, ms);
    if (h == eventThread)
        closeWait = r;
    return r;
}

class EventThreadOnRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_TRUE(peer.IsOpen());
        calls.CreateThread = KeepThread;
        calls.WaitForSingleObject = RecordThreadWait;
        closeWait = 0xFFFFFFFF;
    }
    CL::PORT Port() const { return PortOf(pair.ComA()); }

    NullModemPair pair;
    PeerPort peer{pair.ComB()};
    PlatformCalls calls = RealPlatformCalls();
};

TEST_F(EventThreadOnRig, AWaitThatKeepsFailingIsRetriedSlowlyAndReportsNothing)
{
    calls.WaitCommEvent = VanishedWait;
    auto engine = MakeEngine<CountingEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    waitCalls = 0;
    Sleep(2000);
    // Retries back off from 10 ms to once a second: a handful in two seconds, not thousands.
    EXPECT_GE(waitCalls.load(), 2);
    EXPECT_LE(waitCalls.load(), 12);
    EXPECT_EQ(0, engine->hooks.load());
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    EXPECT_EQ(WAIT_OBJECT_0, closeWait.load()) << "the retry pause ends with Close";
}

PeerPort* writer = nullptr;

BOOL WINAPI SetMaskAfterTheThreadWantsTheLock(HANDLE h, DWORD mask)
{
    if (mask == 0 && writer) {
        // Close holds the lock here. Bytes arrive, and the event thread, woken by them, now waits
        // for the lock to refresh the port's status.
        writer->Write("wake");
        Sleep(150);
    }
    return SetCommMask(h, mask);
}

TEST_F(EventThreadOnRig, CloseDoesNotWaitForAThreadThatWaitsForTheLock)
{
    calls.SetCommMask = SetMaskAfterTheThreadWantsTheLock;
    auto engine = MakeEngine<CountingEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    writer = &peer;
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    writer = nullptr;
    EXPECT_EQ(WAIT_OBJECT_0, closeWait.load()) << "the thread ended within Close's wait";
    EXPECT_EQ(0, engine->hooks.load()) << "no hook for an event that came during Close";
}

// A hook whose thread a Close waits for, holding the lock, still stores its settings: they are
// what the next Open applies, as ERR_NOT_OPEN says.
class SettingDuringCloseEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    void EventRx(unsigned long) override
    {
        if (entered.exchange(true))
            return;
        SetEvent(inHook);
        WaitForSingleObject(closeWaits, 5000);
        DCB changed = GetDCB();
        changed.BaudRate = CBR_4800;
        result = SetDCB(changed);
    }
    std::atomic<bool> entered{false};
    std::atomic<int> result{-1};
    HANDLE inHook = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

TEST_F(EventThreadOnRig, AHookWhoseThreadCloseWaitsForStoresItsSettingsForTheNextOpen)
{
    closeWaits = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto engine = MakeEngine<SettingDuringCloseEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    ASSERT_TRUE(peer.Write("x"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(engine->inHook, 5000));
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    EXPECT_EQ(WAIT_OBJECT_0, closeWait.load()) << "the thread ended within Close's wait";
    EXPECT_EQ(CL::ERR_NOT_OPEN, engine->result.load());
    EXPECT_EQ(static_cast<DWORD>(CBR_4800), engine->GetDCB().BaudRate);
    CloseHandle(closeWaits);
    closeWaits = nullptr;

    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    DCB applied{};
    applied.DCBlength = sizeof applied;
    ASSERT_TRUE(GetCommState(engine->GetHandle(), &applied));
    EXPECT_EQ(static_cast<DWORD>(CBR_4800), applied.BaudRate) << "the next Open applied them";
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    CloseHandle(engine->inHook);
}

// A hook that closed its port and opened it again is an ordinary caller on the new port: while
// another thread holds the lock, its calls wait for it instead of failing.
class ReopeningEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    void EventRx(unsigned long) override
    {
        if (entered.exchange(true))
            return;
        const CL::PORT port = GetPort();
        Close();
        if (Open(port) != CL::ERR_OK)
            return;
        SetEvent(reopened);
        // The host thread's Receive holds the lock from here, for its 1 s time-out.
        WaitForSingleObject(hostReads, 5000);
        sent = Send("late");
        const DCB same = GetDCB();
        stored = SetDCB(same);
    }
    std::atomic<bool> entered{false};
    std::atomic<int> sent{-1};
    std::atomic<int> stored{-1};
    HANDLE reopened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// Only the host thread reads in this test, and it reads under the lock.
BOOL WINAPI SignalRead(HANDLE h, LPVOID buffer, DWORD length, LPDWORD got, LPOVERLAPPED o)
{
    SetEvent(hostReads);
    return ReadFile(h, buffer, length, got, o);
}

TEST_F(EventThreadOnRig, AHookThatOpenedThePortAgainWaitsForTheLockLikeAnyCaller)
{
    hostReads = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    calls.ReadFile = SignalRead;
    auto engine = MakeEngine<ReopeningEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    ASSERT_TRUE(peer.Write("x"));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(engine->reopened, 5000));
    char buffer[8];
    unsigned long got = 0;
    engine->Receive(buffer, sizeof buffer, &got); // nothing comes: it holds the lock for 1 s
    EXPECT_TRUE(Eventually([&] { return engine->stored >= 0; }));
    EXPECT_EQ(CL::ERR_OK, engine->sent.load());
    EXPECT_EQ(CL::ERR_OK, engine->stored.load());
    EXPECT_EQ("late", peer.Read(4, 2000));
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    CloseHandle(engine->reopened);
    CloseHandle(hostReads);
    hostReads = nullptr;
}

} // namespace

namespace {

// Hands out the masks of `script` one wait each, then leaves the wait pending until it is cancelled.
const DWORD* script = nullptr;
std::atomic<int> scriptAt{0};

BOOL WINAPI ScriptedWait(HANDLE port, LPDWORD mask, LPOVERLAPPED o)
{
    const int i = scriptAt++;
    if (script[i] != 0) {
        *mask = script[i];
        return TRUE;
    }
    return WaitCommEvent(port, mask, o);
}

class OrderEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    void EventRx(unsigned long) override { Add('R'); }
    void EventLine(unsigned long) override { Add('L'); }
    void EventTxEnd() override { Add('T'); }
    void EventError(COMSTAT&, unsigned long) override { Add('E'); }
    std::string Order()
    {
        std::lock_guard<std::mutex> g(lock);
        return order;
    }

private:
    void Add(char c)
    {
        std::lock_guard<std::mutex> g(lock);
        order += c;
    }
    std::mutex lock;
    std::string order;
};

TEST_F(EventThreadOnRig, EachWakeUpCallsItsHooksInTheFixedOrder)
{
    // Every bit at once; then each line event alone; then an error with bytes; then nothing.
    static const DWORD masks[] = {
        0x1FD, EV_CTS, EV_DSR, EV_RLSD, EV_BREAK, EV_RING, EV_RXCHAR | EV_ERR,
        EV_TXEMPTY | EV_RXCHAR, EV_RXFLAG, 0,
    };
    script = masks;
    scriptAt = 0;
    calls.WaitCommEvent = ScriptedWait;
    auto engine = MakeEngine<OrderEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    const std::string expected = "ELRT" "L" "L" "L" "L" "L" "ER" "RT";
    EXPECT_TRUE(Eventually([&] { return engine->Order().size() >= expected.size(); }));
    Sleep(50);
    EXPECT_EQ(expected, engine->Order()) << "EV_RXFLAG is not an event of the library";
    EXPECT_EQ(CL::ERR_OK, engine->Close());
}

// EventError gets the error word of its own wake-up although the port is closed and opened again,
// which resets the engine's word, between that wake-up's ClearCommError and the hook. The
// interleaving is forced: the event thread lingers in the lock's release until the host has
// reopened, and the host's Close gives up on the thread at once.
namespace reset {

std::atomic<bool> armed{false};
DWORD eventThreadId = 0;
DWORD hostThreadId = 0;
HANDLE clearing = nullptr;  // the event thread holds the port lock in its ClearCommError
HANDLE hostWaits = nullptr; // the host's Close waits for the port lock
HANDLE reopened = nullptr;

HANDLE WINAPI FirstThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE proc,
                          LPVOID param, DWORD flags, LPDWORD id)
{
    const HANDLE thread = CreateThread(sa, stack, proc, param, flags, id);
    if (!eventThreadId)
        eventThreadId = *id;
    return thread;
}

// Thread handles are compared by id: a closed one's value may come back for the next thread.
DWORD WINAPI GiveUpOnFirstThread(HANDLE h, DWORD ms)
{
    return GetThreadId(h) == eventThreadId ? WAIT_TIMEOUT : WaitForSingleObject(h, ms);
}

BOOL WINAPI FramingError(HANDLE port, LPDWORD errors, LPCOMSTAT status)
{
    const BOOL done = ClearCommError(port, errors, status);
    if (armed && GetCurrentThreadId() == eventThreadId) {
        *errors = CE_FRAME;
        SetEvent(clearing);
        WaitForSingleObject(hostWaits, 5000);
    }
    return done;
}

// The program's own imports of these two are rebound to the functions below, which call the
// originals through kernel32 directly.
decltype(&SleepConditionVariableSRW) realSleep = nullptr;
decltype(&WakeConditionVariable) realWake = nullptr;

BOOL WINAPI NoteHostWait(PCONDITION_VARIABLE cv, PSRWLOCK lock, DWORD ms, ULONG flags)
{
    if (armed && GetCurrentThreadId() == hostThreadId)
        SetEvent(hostWaits);
    return realSleep(cv, lock, ms, flags);
}

void WINAPI WakeThenLinger(PCONDITION_VARIABLE cv)
{
    const bool linger = armed && GetCurrentThreadId() == eventThreadId;
    if (linger)
        armed = false;
    realWake(cv);
    if (linger)
        WaitForSingleObject(reopened, 5000);
}

class ErrorEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    void EventError(COMSTAT&, unsigned long errors) override { seen = static_cast<long>(errors); }
    std::atomic<long> seen{-1};
};

} // namespace reset

TEST_F(EventThreadOnRig, EventErrorGetsTheWordOfItsOwnWakeUp)
{
    static const DWORD masks[] = {EV_ERR, 0};
    script = masks;
    scriptAt = 0;
    reset::clearing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reset::hostWaits = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reset::reopened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reset::hostThreadId = GetCurrentThreadId();
    reset::eventThreadId = 0;
    calls.WaitCommEvent = ScriptedWait;
    calls.CreateThread = reset::FirstThread;
    calls.WaitForSingleObject = reset::GiveUpOnFirstThread;
    calls.ClearCommError = reset::FramingError;
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    reset::realSleep = reinterpret_cast<decltype(reset::realSleep)>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "SleepConditionVariableSRW")));
    reset::realWake = reinterpret_cast<decltype(reset::realWake)>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "WakeConditionVariable")));
    const HMODULE program = GetModuleHandleA(nullptr);
    ImportPatch sleeps(program, "kernel32.dll", "SleepConditionVariableSRW",
                       reinterpret_cast<void*>(&reset::NoteHostWait));
    ImportPatch wakes(program, "kernel32.dll", "WakeConditionVariable",
                      reinterpret_cast<void*>(&reset::WakeThenLinger));
    ASSERT_TRUE(sleeps.Ok() && wakes.Ok());

    auto engine = MakeEngine<reset::ErrorEngine>(1024ul, 1024ul, calls);
    reset::armed = true;
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reset::clearing, 5000));
    EXPECT_EQ(CL::ERR_THREAD_TIMEOUT, engine->Close());
    EXPECT_FALSE(reset::armed.load()) << "the event thread did not linger in the lock's release";
    EXPECT_EQ(CL::ERR_OK, engine->Open(Port()));
    SetEvent(reset::reopened);
    EXPECT_TRUE(Eventually([&] { return engine->seen >= 0; }));
    EXPECT_EQ(CE_FRAME, engine->seen.load());
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    reset::armed = false;
    CloseHandle(reset::clearing);
    CloseHandle(reset::hostWaits);
    CloseHandle(reset::reopened);
}

} // namespace

namespace {

std::atomic<bool> delayNextWait{false};

BOOL WINAPI LateWait(HANDLE port, LPDWORD mask, LPOVERLAPPED o)
{
    if (delayNextWait.exchange(false))
        Sleep(200);
    return WaitCommEvent(port, mask, o);
}

class ReadingEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    void EventRx(unsigned long n) override
    {
        char buffer[64];
        unsigned long got = 0;
        Receive(buffer, n < sizeof buffer ? n : sizeof buffer, &got);
        ++received;
    }
    std::atomic<int> received{0};
};

TEST_F(EventThreadOnRig, AWaitIssuedAfterCloseEmptiedTheMaskIsEndedToo)
{
    calls.WaitCommEvent = LateWait;
    auto engine = MakeEngine<ReadingEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    // The next wait is issued only once Close has set the mask to 0; on Wine such a wait stays
    // pending whatever CancelIoEx says.
    delayNextWait = true;
    ASSERT_TRUE(peer.Write("1"));
    ASSERT_TRUE(Eventually([&] { return engine->received > 0; }));
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(CL::ERR_OK, engine->Close());
    EXPECT_EQ(WAIT_OBJECT_0, closeWait.load());
    EXPECT_LT(GetTickCount64() - start, 900u) << "the late wait was ended, not waited out";
}

std::atomic<bool> countPauses{false};
std::atomic<int> pauses{0};

// The thread's pauses are its only waits on one handle with a time-out while the port is open.
DWORD WINAPI CountPauses(DWORD count, const HANDLE* handles, BOOL all, DWORD ms)
{
    if (countPauses && count == 1 && ms != INFINITE)
        ++pauses;
    return WaitForMultipleObjects(count, handles, all, ms);
}

TEST_F(EventThreadOnRig, ABytePerReportReadByTheHookIsNewEachTimeAndNotPaced)
{
    calls.WaitForMultipleObjects = CountPauses;
    auto engine = MakeEngine<ReadingEngine>(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    pauses = 0;
    countPauses = true;
    for (int i = 0; i < 5; ++i) {
        const int before = engine->received;
        ASSERT_TRUE(peer.Write("x"));
        ASSERT_TRUE(Eventually([&] { return engine->received > before; })) << "byte " << i;
    }
    countPauses = false;
    // Each report shows one byte waiting, as the one before did, yet the hook read that one.
    EXPECT_EQ(0, pauses.load());
    EXPECT_EQ(CL::ERR_OK, engine->Close());
}

} // namespace
