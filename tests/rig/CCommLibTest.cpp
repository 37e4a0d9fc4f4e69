// The exported object: forwarding, destruction, copies and assignment, on null-modem ports.
#include <atomic>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Clock.h"
#include "ComPort.h"
#include "Eventually.h"
#include "ImportPatch.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "RecordingHost.h"

namespace {

using CL = CCommLib;

static_assert(sizeof(CCommLib) == 2 * sizeof(void*), "hosts allocate it by the header alone");

bool PortIsFree(int com)
{
    CCommLib probe;
    return probe.Open(PortOf(com)) == CL::ERR_OK && probe.Close() == CL::ERR_OK;
}

class Object : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pair.Ok()) << pair.Error(); }
    NullModemPair pair;
};

TEST(ObjectWithoutPort, EveryMemberForwardsToTheClosedEngine)
{
    CCommLib object;
    EXPECT_EQ(CL::PORT_NONE, object.GetPort());
    EXPECT_EQ(nullptr, object.GetHandle());
    EXPECT_EQ(0u, object.GetLastError());
    unsigned long count = 5;
    EXPECT_EQ(CL::ERR_NOT_OPEN, object.Send("x"));
    EXPECT_EQ(CL::ERR_NOT_OPEN, object.Send("x", 1, &count));
    EXPECT_EQ(5u, count);
    char buffer[2];
    EXPECT_FALSE(object.Receive(buffer, 2, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(0u, object.GetLineStat());
    EXPECT_EQ(CL::ERR_NOT_OPEN, object.SetLineStat(SETRTS));
    EXPECT_EQ(CL::ERR_ALREADY, object.Close());
    EXPECT_EQ(CL::ERR_BAD_PORT, object.Open(CL::PORT_NONE));
    EXPECT_STREQ("COM7", CCommLib::GetPortStr(CL::PORT_COM7));

    DCB d = object.GetDCB();
    d.BaudRate = 4800;
    EXPECT_EQ(CL::ERR_NOT_OPEN, object.SetDCB(d));
    EXPECT_EQ(4800u, object.GetDCB().BaudRate);
}

HANDLE WINAPI RefusedEvent(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR)
{
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return nullptr;
}

// Refuses the next allocation only: the exception machinery needs memory of its own.
int refusals = 0;
void* __cdecl RefusingMalloc(size_t size)
{
    if (refusals > 0) {
        --refusals;
        return nullptr;
    }
    return malloc(size);
}

// The exception is thrown inside Mokacomm.dll and caught here, in another module with a runtime
// of its own: the failure is made in the DLL by rebinding its imports.
TEST(ObjectConstruction, AFailureReachesTheHostAsAnExceptionOfTheRuntime)
{
    const HMODULE library = GetModuleHandleA("Mokacomm.dll");
    ASSERT_NE(library, nullptr);
    {
        ImportPatch refused(library, "kernel32.dll", "CreateEventA",
                            reinterpret_cast<void*>(&RefusedEvent));
        ASSERT_TRUE(refused.Ok());
        try {
            CCommLib object;
            ADD_FAILURE() << "constructed without an event";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Mokacomm: CreateEventA failed with error 1450");
        }
        EXPECT_THROW(CCommLib(), std::exception);
        bool caught = false;
        try {
            CCommLib object;
        } catch (...) {
            caught = true;
        }
        EXPECT_TRUE(caught);
    }

    // operator new lives in the shared C++ runtime where there is one, else in the DLL.
    HMODULE allocator = GetModuleHandleA("libstdc++-6.dll");
    if (!allocator)
        allocator = library;
    {
        ImportPatch starved(allocator, "msvcrt.dll", "malloc",
                            reinterpret_cast<void*>(&RefusingMalloc));
        ASSERT_TRUE(starved.Ok());
        refusals = 1;
        EXPECT_THROW(CCommLib(), std::bad_alloc);
        EXPECT_EQ(refusals, 0);
    }

    CCommLib restored;
    EXPECT_EQ(restored.GetPort(), CL::PORT_NONE);
}

TEST_F(Object, DestroyingAnObjectWithItsPortOpenReleasesThePort)
{
    {
        CCommLib object;
        ASSERT_EQ(CL::ERR_OK, object.Open(PortOf(pair.ComA())));
        EXPECT_FALSE(PortIsFree(pair.ComA()));
    }
    EXPECT_TRUE(PortIsFree(pair.ComA()));
}

// GetHandle reads without the lock, so another thread may ask while Close runs. The DLL's
// CloseHandle is watched: the moment the port's handle is closed, the object must no longer give
// it out, since the system may hand the same value to the next object it makes.
CCommLib* closing = nullptr;
HANDLE closingPort = nullptr;
std::atomic<bool> portClosed{false};
std::atomic<HANDLE> handleOnceClosed{nullptr};

BOOL WINAPI WatchingCloseHandle(HANDLE handle)
{
    const BOOL closed = CloseHandle(handle);
    const DWORD error = GetLastError();
    if (closing && handle == closingPort) {
        std::thread([] { handleOnceClosed = closing->GetHandle(); }).join();
        portClosed = true;
    }
    SetLastError(error);
    return closed;
}

TEST_F(Object, TheHandleOfAClosedPortIsNeverGivenOut)
{
    ImportPatch watcher(GetModuleHandleA("Mokacomm.dll"), "kernel32.dll", "CloseHandle",
                        reinterpret_cast<void*>(&WatchingCloseHandle));
    ASSERT_TRUE(watcher.Ok());
    CCommLib object; // made after the patch: it copies the DLL's kernel32 table
    ASSERT_EQ(CL::ERR_OK, object.Open(PortOf(pair.ComA())));
    closingPort = object.GetHandle();
    closing = &object;
    EXPECT_EQ(CL::ERR_OK, object.Close());
    closing = nullptr;
    ASSERT_TRUE(portClosed.load()) << "the port's handle was not closed through the DLL's import";
    EXPECT_EQ(nullptr, handleOnceClosed.load()) << "GetHandle gave out the closed handle";
}

TEST_F(Object, ACopyOperatesThePortAndTheEventsStayWithTheCreator)
{
    PeerPort peer(pair.ComB());
    RecordingHost creator;
    ASSERT_EQ(CL::ERR_OK, creator.Open(PortOf(pair.ComA())));
    RecordingHost other;
    {
        CCommLib copy(creator);
        EXPECT_EQ(creator.GetHandle(), copy.GetHandle());
        EXPECT_EQ(creator.GetPort(), copy.GetPort());
        EXPECT_EQ(CL::ERR_OK, copy.Send("via copy"));
        EXPECT_EQ("via copy", peer.Read(8, 2000));
        static_cast<CCommLib&>(other) = copy;
    }
    EXPECT_EQ(creator.GetHandle(), other.GetHandle()) << "the last copy is gone, the port is not";
    ASSERT_TRUE(peer.Write("ping"));
    EXPECT_TRUE(creator.WaitForHook('R'));
    Sleep(50);
    EXPECT_EQ(0u, other.Count('R')) << "an assigned object gets none of the port's events";
    EXPECT_EQ(CL::ERR_OK, other.Close());
    EXPECT_EQ(nullptr, creator.GetHandle());
}

TEST_F(Object, AssignmentLetsGoOfThePreviousPortAndSelfAssignmentChangesNothing)
{
    NullModemPair second;
    ASSERT_TRUE(second.Ok()) << second.Error();
    CCommLib a;
    CCommLib b;
    ASSERT_EQ(CL::ERR_OK, a.Open(PortOf(pair.ComA())));
    ASSERT_EQ(CL::ERR_OK, b.Open(PortOf(second.ComA())));
    b = a;
    EXPECT_TRUE(PortIsFree(second.ComA())) << "b's own port closed with its last reference";
    EXPECT_EQ(a.GetHandle(), b.GetHandle());
    // b's settings are now a's: a reference taken from b after the assignment shows a's changes.
    const DCB& shared = b.GetDCB();
    DCB changed = a.GetDCB();
    changed.BaudRate = CBR_4800;
    EXPECT_EQ(CL::ERR_OK, a.SetDCB(changed));
    EXPECT_EQ(static_cast<DWORD>(CBR_4800), shared.BaudRate);

    CCommLib& alias = a;
    a = alias;
    a = b;
    EXPECT_EQ(PortOf(pair.ComA()), a.GetPort());
    EXPECT_EQ(CL::ERR_OK, b.Close());
    EXPECT_EQ(CL::ERR_ALREADY, a.Close());
}

std::atomic<bool> creatorGone{false};
std::atomic<int> hooksAfterDeath{0};
std::atomic<int> hooksBeforeDeath{0};

class Mortal final : public CCommLib {
public:
    ~Mortal() { creatorGone = true; }
    void EventRx(unsigned long) override { Count(); }
    void EventLine(unsigned long) override { Count(); }

private:
    static void Count() { ++(creatorGone ? hooksAfterDeath : hooksBeforeDeath); }
};

TEST_F(Object, OnceTheCreatorIsGoneItsHooksAreNeverCalledWhileACopyKeepsThePort)
{
    PeerPort peer(pair.ComB());
    auto* creator = new Mortal;
    ASSERT_EQ(CL::ERR_OK, creator->Open(PortOf(pair.ComA())));
    ASSERT_TRUE(peer.Write("before"));
    ASSERT_TRUE(Eventually([] { return hooksBeforeDeath > 0; }));
    CCommLib survivor(*creator);
    delete creator;
    for (int i = 0; i < 20; ++i) {
        peer.Write("after");
        peer.Escape(i % 2 ? SETDTR : CLRDTR);
        Sleep(5);
    }
    Sleep(100);
    EXPECT_EQ(0, hooksAfterDeath.load());
    EXPECT_NE(nullptr, survivor.GetHandle());
    EXPECT_EQ(CL::ERR_OK, survivor.Send("still here"));
    EXPECT_EQ(CL::ERR_OK, survivor.Close());
}

// A port closed and opened again from a hook has a second event thread while the first one's hook
// still runs. Destroying the object from that hook waits for the other thread's hooks only: here
// for one that is busy when the destruction starts, and for a while after, so that a destruction
// that does not wait for it ends first.
constexpr DWORD kBusyHookMs = 300;
std::atomic<int> reopenerCalls{0};
std::atomic<bool> reopened{false};
std::atomic<bool> secondThreadHookBusy{false};
std::atomic<bool> secondThreadHookDone{false};
HANDLE destructionStarts = nullptr;
std::atomic<long long> destroyMs{-1};
std::atomic<bool> hookDoneBeforeDestroyed{false};

// Its hooks use no member after the first one reopened the port, so it needs no Close of its own.
class Reopener final : public CCommLib {
public:
    explicit Reopener(PORT port) : port(port) {}
    void EventRx(unsigned long count) override
    {
        char buffer[16];
        unsigned long got = 0;
        Receive(buffer, count < sizeof buffer ? count : sizeof buffer, &got);
        if (++reopenerCalls > 1) {
            secondThreadHookBusy = true;
            WaitForSingleObject(destructionStarts, 5000);
            Sleep(kBusyHookMs);
            secondThreadHookDone = true;
            return;
        }
        Close();
        reopened = Open(port) == ERR_OK;
        Eventually([] { return secondThreadHookBusy.load(); });
        const ULONGLONG start = GetTickCount64();
        SetEvent(destructionStarts);
        delete this;
        hookDoneBeforeDestroyed = secondThreadHookDone.load();
        destroyMs = static_cast<long long>(GetTickCount64() - start);
    }

private:
    const PORT port;
};

TEST_F(Object, DestroyedFromTheHookOfAnOlderEventThreadTheObjectWaitsForTheOtherThreadsHookOnly)
{
    PeerPort peer(pair.ComB());
    destructionStarts = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(destructionStarts, nullptr);
    auto* host = new Reopener(PortOf(pair.ComA()));
    ASSERT_EQ(CL::ERR_OK, host->Open(PortOf(pair.ComA())));
    ASSERT_TRUE(peer.Write("1"));
    ASSERT_TRUE(Eventually([] { return reopened.load(); })) << "the hook did not open the port again";
    ASSERT_TRUE(peer.Write("2"));
    ASSERT_TRUE(Eventually([] { return destroyMs >= 0; }, 15000)) << "the object was not destroyed";
    EXPECT_TRUE(hookDoneBeforeDestroyed.load())
        << "the destruction did not wait for the other thread's hook";
    // Waiting for the hook it was called from, it would wait out its 10 s.
    EXPECT_LT(destroyMs.load(), 9000) << "the destruction waited for the hook it was called from";
    EXPECT_TRUE(Eventually([&] { return PortIsFree(pair.ComA()); }));
    CloseHandle(destructionStarts);
}

} // namespace

namespace {

DWORD setupInQueue = 0;
DWORD setupOutQueue = 0;
int setups = 0;

BOOL WINAPI RecordingSetupComm(HANDLE port, DWORD inQueue, DWORD outQueue)
{
    setupInQueue = inQueue;
    setupOutQueue = outQueue;
    ++setups;
    return SetupComm(port, inQueue, outQueue);
}

// The rig cannot show queue sizes, so the DLL's SetupComm is watched; the object copies its
// kernel32 table when it is made, so the patch comes first.
TEST_F(Object, OpenSetsUpTheQueuesAsConstructedAndWaitsOutTheStartPause)
{
    ImportPatch recorder(GetModuleHandleA("Mokacomm.dll"), "kernel32.dll", "SetupComm",
                         reinterpret_cast<void*>(&RecordingSetupComm));
    ASSERT_TRUE(recorder.Ok());
    setups = 0;
    CCommLib object(4096, 512);
    const double start = NowMs();
    ASSERT_EQ(CL::ERR_OK, object.Open(PortOf(pair.ComA())));
    const double took = NowMs() - start;
    EXPECT_EQ(1, setups);
    EXPECT_EQ(512u, setupInQueue) << "the second argument is the input queue";
    EXPECT_EQ(4096u, setupOutQueue) << "the first argument is the output queue";
    // The event thread pauses 100 ms before its first wait, and Open waits for that wait; a
    // millisecond is left for the timers' rounding.
    EXPECT_GE(took, 99.0);
    EXPECT_EQ(CL::ERR_OK, object.Close());
}

} // namespace
