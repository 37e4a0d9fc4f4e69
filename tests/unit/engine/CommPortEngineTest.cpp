// Opening and closing on a null-modem port, with single kernel32 calls made to fail at the seam.
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "DcbFlags.h"

#include "ComPort.h"
#include "NullModem.h"
#include "PlatformFakes.h"
#include "TestEngine.h"

namespace {

using CL = CCommLib;

// Whether the port can be opened right now with a plain CreateFileA: rig ports are exclusive, so
// this fails while any handle to it is left open.
bool PortIsFree(int com)
{
    const std::string path = "\\\\.\\COM" + std::to_string(com);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

// Observations made by the wrapping fakes below; reset by each fixture.
struct Seen {
    std::string path;
    DWORD access = 0, share = 0, disposition = 0, flags = 0;
    DWORD mask = 0, purge = 0, inQueue = 0, outQueue = 0;
    COMMTIMEOUTS timeouts{};
    HANDLE thread = nullptr;       // a duplicate of the event thread's handle
    HANDLE threadClosed = nullptr; // the event thread's handle, once CloseHandle got it
    HANDLE rawThread = nullptr;
    DWORD startWait = 0xFFFFFFFF;  // how Open's wait for the start signal ended
    DWORD threadWait = 0xFFFFFFFF; // how Close's wait for the thread ended
    HANDLE failClose = nullptr;    // CloseHandle reports failure for this handle
    DWORD priorityDelay = 0;
    bool replaceThreadWait = false; // when set, threadWaitResult replaces Close's wait result
    DWORD threadWaitResult = 0;
} seen;

HANDLE WINAPI RecordingCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                  DWORD disposition, DWORD flags, HANDLE templ)
{
    seen.path = path;
    seen.access = access;
    seen.share = share;
    seen.disposition = disposition;
    seen.flags = flags;
    return CreateFileA(path, access, share, sa, disposition, flags, templ);
}

BOOL WINAPI RecordingSetCommMask(HANDLE h, DWORD mask)
{
    if (mask != 0)
        seen.mask = mask;
    return SetCommMask(h, mask);
}

BOOL WINAPI RecordingPurge(HANDLE h, DWORD flags)
{
    seen.purge = flags;
    return PurgeComm(h, flags);
}

BOOL WINAPI RecordingSetup(HANDLE h, DWORD in, DWORD out)
{
    seen.inQueue = in;
    seen.outQueue = out;
    return SetupComm(h, in, out);
}

BOOL WINAPI RecordingTimeouts(HANDLE h, LPCOMMTIMEOUTS t)
{
    seen.timeouts = *t;
    return SetCommTimeouts(h, t);
}

HANDLE WINAPI RecordingCreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack,
                                    LPTHREAD_START_ROUTINE proc, LPVOID param, DWORD flags,
                                    LPDWORD id)
{
    HANDLE t = CreateThread(sa, stack, proc, param, flags, id);
    seen.rawThread = t;
    if (t)
        DuplicateHandle(GetCurrentProcess(), t, GetCurrentProcess(), &seen.thread, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    return t;
}

BOOL WINAPI SlowSetThreadPriority(HANDLE t, int priority)
{
    Sleep(seen.priorityDelay);
    return SetThreadPriority(t, priority);
}

DWORD WINAPI RecordingWait(HANDLE h, DWORD ms)
{
    DWORD r = WaitForSingleObject(h, ms);
    if (h == seen.rawThread) {
        seen.threadWait = r;
        if (seen.replaceThreadWait)
            r = seen.threadWaitResult;
    } else {
        seen.startWait = r;
    }
    return r;
}

BOOL WINAPI RecordingClose(HANDLE h)
{
    if (h == seen.rawThread)
        seen.threadClosed = h;
    const BOOL ok = CloseHandle(h);
    if (h == seen.failClose) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return ok;
}

class EngineOnRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        seen = Seen{};
        calls.CreateFileA = RecordingCreateFile;
        calls.SetCommMask = RecordingSetCommMask;
        calls.PurgeComm = RecordingPurge;
        calls.SetupComm = RecordingSetup;
        calls.SetCommTimeouts = RecordingTimeouts;
        calls.CreateThread = RecordingCreateThread;
        calls.SetThreadPriority = SlowSetThreadPriority;
        calls.WaitForSingleObject = RecordingWait;
        calls.CloseHandle = RecordingClose;
    }
    void TearDown() override
    {
        if (seen.thread)
            CloseHandle(seen.thread);
    }

    CL::PORT Port() const { return PortOf(pair.ComA()); }

    NullModemPair pair;
    PlatformCalls calls = RealPlatformCalls();
};

TEST(EngineDefaults, AFreshEngineHasTheBuiltInSettingsAndNoPort)
{
    auto engine = MakeEngine(1024ul, 1024ul);
    EXPECT_EQ(CL::PORT_NONE, engine->GetPort());
    EXPECT_EQ(nullptr, engine->GetHandle());
    EXPECT_EQ(nullptr, engine->GetPortName());
    EXPECT_EQ(0u, engine->GetLastError());

    const DCB& d = engine->GetDCB();
    EXPECT_EQ(28u, d.DCBlength);
    EXPECT_EQ(19200u, d.BaudRate);
    EXPECT_EQ(0x00000401u, FlagWord(d));
    EXPECT_EQ(0, d.wReserved);
    EXPECT_EQ(1024, d.XonLim);
    EXPECT_EQ(1024, d.XoffLim);
    EXPECT_EQ(8, d.ByteSize);
    EXPECT_EQ(NOPARITY, d.Parity);
    EXPECT_EQ(TWOSTOPBITS, d.StopBits);
    EXPECT_EQ(0x11, d.XonChar);
    EXPECT_EQ(0x13, d.XoffChar);
    EXPECT_EQ(0x00, d.ErrorChar);
    EXPECT_EQ(static_cast<char>(0xFF), d.EofChar);
    EXPECT_EQ(0x01, d.EvtChar);
    EXPECT_EQ(0, d.wReserved1);
}

TEST(EngineDefaults, WithoutAPortEveryOperationReportsIt)
{
    auto engine = MakeEngine(1024ul, 1024ul);
    unsigned long count = 77;
    EXPECT_EQ(CL::ERR_NOT_OPEN, engine->Send("abc"));
    EXPECT_EQ(CL::ERR_NOT_OPEN, engine->Send("abc", 3, &count));
    EXPECT_EQ(77u, count);
    char buffer[4];
    EXPECT_FALSE(engine->Receive(buffer, sizeof buffer, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(0u, engine->GetLineStat());
    EXPECT_EQ(CL::ERR_NOT_OPEN, engine->SetLineStat(SETDTR));
    EXPECT_EQ(CL::ERR_ALREADY, engine->Close());
    EXPECT_EQ(0u, engine->GetLastError());
}

TEST_F(EngineOnRig, OpenConfiguresThePortAsAsked)
{
    auto engine = MakeEngine(4096ul, 512ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));

    EXPECT_EQ("\\\\.\\COM" + std::to_string(pair.ComA()), seen.path);
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE), seen.access);
    EXPECT_EQ(0u, seen.share);
    EXPECT_EQ(static_cast<DWORD>(OPEN_EXISTING), seen.disposition);
    EXPECT_EQ(0x40000080u, seen.flags);
    EXPECT_EQ(0x1FDu, seen.mask);
    EXPECT_EQ(0x0Fu, seen.purge);
    EXPECT_EQ(512u, seen.inQueue);
    EXPECT_EQ(4096u, seen.outQueue);
    EXPECT_EQ(MAXDWORD, seen.timeouts.ReadIntervalTimeout);
    EXPECT_EQ(0u, seen.timeouts.ReadTotalTimeoutMultiplier);
    EXPECT_EQ(1000u, seen.timeouts.ReadTotalTimeoutConstant);
    EXPECT_EQ(5u, seen.timeouts.WriteTotalTimeoutMultiplier);
    EXPECT_EQ(0u, seen.timeouts.WriteTotalTimeoutConstant);

    EXPECT_EQ(Port(), engine->GetPort());
    EXPECT_NE(nullptr, engine->GetHandle());
    EXPECT_STREQ(("COM" + std::to_string(pair.ComA())).c_str(), engine->GetPortName());
    // The thread's start signal released Open: it did not wait out its 2 s.
    EXPECT_EQ(WAIT_OBJECT_0, seen.startWait);

    DCB actual{};
    actual.DCBlength = sizeof actual;
    ASSERT_TRUE(GetCommState(engine->GetHandle(), &actual));
    EXPECT_EQ(19200u, actual.BaudRate);
    EXPECT_EQ(TWOSTOPBITS, actual.StopBits);

    EXPECT_EQ(CL::ERR_OK, engine->Close());
    EXPECT_EQ(WAIT_OBJECT_0, seen.threadWait);
    EXPECT_EQ(seen.rawThread, seen.threadClosed) << "the thread's handle is closed by Close";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(seen.thread, 0));
    EXPECT_EQ(CL::PORT_NONE, engine->GetPort());
    EXPECT_EQ(nullptr, engine->GetHandle());
    EXPECT_EQ(nullptr, engine->GetPortName());
    EXPECT_TRUE(PortIsFree(pair.ComA()));
}

BOOL WINAPI GetStateWithDriverParts(HANDLE h, LPDCB d)
{
    if (!GetCommState(h, d))
        return FALSE;
    d->EvtChar = 0x7E;
    d->wReserved1 = 0x0102;
    d->fDummy2 = 0x1ABCD;
    return TRUE;
}

TEST_F(EngineOnRig, OpenMergesTheStoredSettingsIntoThePortsOwn)
{
    calls.GetCommState = GetStateWithDriverParts;
    auto engine = MakeEngine(1024ul, 1024ul, calls);
    DCB stored = engine->GetDCB();
    stored.BaudRate = 9600;
    stored.StopBits = ONESTOPBIT;
    stored.XonChar = 0x21;
    EXPECT_EQ(CL::ERR_NOT_OPEN, engine->SetDCB(stored));
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));

    const DCB& merged = engine->GetDCB();
    EXPECT_EQ(28u, merged.DCBlength);
    EXPECT_EQ(9600u, merged.BaudRate);
    EXPECT_EQ(ONESTOPBIT, merged.StopBits);
    EXPECT_EQ(0x21, merged.XonChar);
    EXPECT_EQ(0x401u, FlagWord(merged) & 0x7FFFu);
    EXPECT_EQ(0x1ABCDu, merged.fDummy2);
    EXPECT_EQ(0x7E, merged.EvtChar);
    EXPECT_EQ(0x0102, merged.wReserved1);

    DCB actual{};
    actual.DCBlength = sizeof actual;
    ASSERT_TRUE(GetCommState(engine->GetHandle(), &actual));
    EXPECT_EQ(9600u, actual.BaudRate);
    EXPECT_EQ(ONESTOPBIT, actual.StopBits);
}

TEST_F(EngineOnRig, EachFailingConfigurationStepHasItsCodeAndClosesThePort)
{
    struct Step {
        const char* name;
        void (*fail)(PlatformCalls&);
        CL::ERR code;
    };
    const Step steps[] = {
        {"SetCommMask", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::SetCommMask>(c, 1001, FALSE); }, CL::ERR_SET_MASK},
        {"SetupComm", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::SetupComm>(c, 1002, FALSE); }, CL::ERR_SETUP},
        {"PurgeComm", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::PurgeComm>(c, 1003, FALSE); }, CL::ERR_PURGE},
        {"SetCommTimeouts", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::SetCommTimeouts>(c, 1004, FALSE); }, CL::ERR_TIMEOUTS},
        {"GetCommState", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::GetCommState>(c, 1005, FALSE); }, CL::ERR_GET_STATE},
        {"SetCommState", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::SetCommState>(c, 1006, FALSE); }, CL::ERR_SET_STATE},
        {"CreateThread", [](PlatformCalls& c) { fakes::MakeFail<&PlatformCalls::CreateThread>(c, 1007, HANDLE(nullptr)); }, CL::ERR_THREAD},
    };
    DWORD error = 1001;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        PlatformCalls failing = calls;
        step.fail(failing);
        auto engine = MakeEngine(1024ul, 1024ul, failing);
        EXPECT_EQ(step.code, engine->Open(Port()));
        EXPECT_EQ(error++, engine->GetLastError());
        EXPECT_EQ(CL::PORT_NONE, engine->GetPort());
        EXPECT_EQ(nullptr, engine->GetHandle());
        EXPECT_EQ(nullptr, engine->GetPortName());
        EXPECT_EQ(CL::ERR_ALREADY, engine->Close());
        EXPECT_TRUE(PortIsFree(pair.ComA())) << "the handle is closed again";
    }
}

// The events made through the seam and not yet closed through it.
std::mutex liveLock;
std::set<HANDLE> liveEvents;

HANDLE WINAPI CountedCreateEvent(LPSECURITY_ATTRIBUTES sa, BOOL manual, BOOL initial, LPCSTR name)
{
    const HANDLE event = CreateEventA(sa, manual, initial, name);
    if (event) {
        std::lock_guard<std::mutex> lock(liveLock);
        liveEvents.insert(event);
    }
    return event;
}

BOOL WINAPI CountedClose(HANDLE handle)
{
    {
        std::lock_guard<std::mutex> lock(liveLock);
        liveEvents.erase(handle);
    }
    return RecordingClose(handle);
}

std::size_t LiveEvents()
{
    std::lock_guard<std::mutex> lock(liveLock);
    return liveEvents.size();
}

// The thread's run, its events and the references meant for the thread are given back at once,
// and the engine is destroyed with its last reference.
TEST_F(EngineOnRig, AThreadThatCannotStartLeavesNothingBehind)
{
    liveEvents.clear();
    PlatformCalls failing = calls;
    failing.CreateEventA = CountedCreateEvent;
    failing.CloseHandle = CountedClose;
    fakes::MakeFail<&PlatformCalls::CreateThread>(failing, ERROR_NOT_ENOUGH_MEMORY, HANDLE(nullptr));
    auto engine = MakeEngine(1024ul, 1024ul, failing);
    const std::size_t engineEvents = LiveEvents();
    EXPECT_EQ(3u, engineEvents);
    EXPECT_EQ(CL::ERR_THREAD, engine->Open(Port()));
    EXPECT_EQ(engineEvents, LiveEvents()) << "the run's events are left open";
    engine.reset();
    EXPECT_EQ(0u, LiveEvents()) << "the engine was not destroyed";
}

TEST_F(EngineOnRig, SettingsStayAsTheyWereUnlessTheThreadFailed)
{
    PlatformCalls failing = calls;
    failing.GetCommState = GetStateWithDriverParts;
    fakes::MakeFail<&PlatformCalls::SetCommState>(failing, 87, FALSE);
    auto refused = MakeEngine(1024ul, 1024ul, failing);
    EXPECT_EQ(CL::ERR_SET_STATE, refused->Open(Port()));
    EXPECT_EQ(0x01, refused->GetDCB().EvtChar) << "a refused merge is not stored";

    failing = calls;
    failing.GetCommState = GetStateWithDriverParts;
    fakes::MakeFail<&PlatformCalls::CreateThread>(failing, 8, HANDLE(nullptr));
    auto threadless = MakeEngine(1024ul, 1024ul, failing);
    EXPECT_EQ(CL::ERR_THREAD, threadless->Open(Port()));
    EXPECT_EQ(0x7E, threadless->GetDCB().EvtChar) << "the merge was applied and kept";
}

TEST_F(EngineOnRig, CreateFileFailuresAreReportedWithThePlatformError)
{
    PlatformCalls failing = calls;
    fakes::MakeFail<&PlatformCalls::CreateFileA>(failing, ERROR_ALREADY_EXISTS, INVALID_HANDLE_VALUE);
    auto exists = MakeEngine(1024ul, 1024ul, failing);
    EXPECT_EQ(CL::ERR_EXISTS, exists->Open(Port()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), exists->GetLastError());

    auto real = MakeEngine(1024ul, 1024ul);
    EXPECT_EQ(CL::ERR_OPEN_FAILED, real->Open(CL::PORT_COM3)) << "COM3 has no device";
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), real->GetLastError());
    EXPECT_EQ(CL::PORT_NONE, real->GetPort());
    EXPECT_EQ(nullptr, real->GetHandle());
}

TEST_F(EngineOnRig, APortHeldByAnotherHandleCannotBeOpened)
{
    const std::string path = "\\\\.\\COM" + std::to_string(pair.ComA());
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    auto engine = MakeEngine(1024ul, 1024ul, calls);
    EXPECT_EQ(CL::ERR_OPEN_FAILED, engine->Open(Port()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), engine->GetLastError());
    CloseHandle(other);
    EXPECT_EQ(CL::ERR_OK, engine->Open(Port()));
}

TEST_F(EngineOnRig, AFailedThreadPriorityEndsTheStartedThread)
{
    PlatformCalls failing = calls;
    fakes::MakeFail<&PlatformCalls::SetThreadPriority>(failing, 1450, FALSE);
    auto engine = MakeEngine(1024ul, 1024ul, failing);
    EXPECT_EQ(CL::ERR_THREAD, engine->Open(Port()));
    EXPECT_EQ(1450u, engine->GetLastError());
    ASSERT_NE(nullptr, seen.thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(seen.thread, 0)) << "the thread has ended";
    EXPECT_EQ(seen.rawThread, seen.threadClosed);
    EXPECT_EQ(nullptr, engine->GetHandle());
    EXPECT_TRUE(PortIsFree(pair.ComA()));
}

TEST_F(EngineOnRig, AStartSignalGivenBeforeOpenWaitsIsNotLost)
{
    // The thread signals after its 100 ms pause, long before Open starts waiting.
    seen.priorityDelay = 400;
    auto engine = MakeEngine(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    EXPECT_EQ(WAIT_OBJECT_0, seen.startWait);
}

TEST_F(EngineOnRig, OpenChecksTheNumberFirstAndRefusesASecondPort)
{
    auto engine = MakeEngine(1024ul, 1024ul, calls);
    for (int bad : {32, 40, -1})
        EXPECT_EQ(CL::ERR_BAD_PORT, engine->Open(static_cast<CL::PORT>(bad)));
    EXPECT_EQ(0u, engine->GetLastError());
    EXPECT_EQ(CL::PORT_NONE, engine->GetPort());

    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    HANDLE h = engine->GetHandle();
    const DWORD error = engine->GetLastError();
    for (int bad : {32, 40})
        EXPECT_EQ(CL::ERR_BAD_PORT, engine->Open(static_cast<CL::PORT>(bad)));
    EXPECT_EQ(CL::ERR_ALREADY, engine->Open(Port()));
    EXPECT_EQ(CL::ERR_ALREADY, engine->Open(PortOf(pair.ComB())));
    EXPECT_EQ(h, engine->GetHandle());
    EXPECT_EQ(Port(), engine->GetPort());
    EXPECT_EQ(error, engine->GetLastError());

    EXPECT_EQ(CL::ERR_OK, engine->Close());
    EXPECT_EQ(CL::ERR_ALREADY, engine->Close());
    EXPECT_EQ(CL::ERR_OK, engine->Open(Port())) << "a closed engine opens again";
}

TEST_F(EngineOnRig, EveryOutcomeOfTheThreadWaitStillClosesThePort)
{
    const struct {
        DWORD wait;
        CL::ERR code;
    } outcomes[] = {
        {WAIT_ABANDONED, CL::ERR_THREAD_ABANDONED},
        {WAIT_TIMEOUT, CL::ERR_THREAD_TIMEOUT},
        {WAIT_FAILED, CL::ERR_THREAD_WAIT},
    };
    auto engine = MakeEngine(1024ul, 1024ul, calls);
    for (const auto& o : outcomes) {
        SCOPED_TRACE(o.code);
        ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
        const DWORD error = engine->GetLastError();
        seen.replaceThreadWait = true;
        seen.threadWaitResult = o.wait;
        EXPECT_EQ(o.code, engine->Close());
        seen.replaceThreadWait = false;
        EXPECT_EQ(WAIT_OBJECT_0, seen.threadWait) << "the thread really ended";
        EXPECT_EQ(nullptr, engine->GetHandle());
        EXPECT_EQ(CL::PORT_NONE, engine->GetPort());
        EXPECT_EQ(error, engine->GetLastError());
        EXPECT_TRUE(PortIsFree(pair.ComA()));
        CloseHandle(seen.thread);
        seen.thread = nullptr;
    }
}

TEST_F(EngineOnRig, AFailedCloseHandleIsReportedAndThePortCountsAsClosed)
{
    auto engine = MakeEngine(1024ul, 1024ul, calls);
    ASSERT_EQ(CL::ERR_OK, engine->Open(Port()));
    seen.failClose = engine->GetHandle();
    EXPECT_EQ(CL::ERR_SYSTEM, engine->Close());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), engine->GetLastError());
    EXPECT_EQ(nullptr, engine->GetHandle());
    EXPECT_EQ(CL::PORT_NONE, engine->GetPort());
    EXPECT_EQ(CL::ERR_ALREADY, engine->Close());
}

} // namespace
