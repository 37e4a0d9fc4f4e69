// ERR_IO and ERR_SHORT_WRITE from Send, and failed reads, made at the seam on a live null-modem
// port: the rig's transfers neither fail nor come up short on demand. Each fake acts once, and the
// port then goes on with the real calls, so that the state a failure leaves behind can be used.
#include <string>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "NullModem.h"
#include "PeerPort.h"
#include "TestEngine.h"

namespace {

using CL = CCommLib;

enum class Fake { Real, Refused, ShortAtOnce, PendingFails, PendingShort, PendingIncomplete };

struct Script {
    Fake next = Fake::Real;
    LPOVERLAPPED pending = nullptr; // the OVERLAPPED of the faked pending transfer
    int incomplete = 0;             // ERROR_IO_INCOMPLETE answers still to give
    int clears = 0;                 // ClearCommError calls on the port
    int yields = 0;                 // Sleep(0) calls
    HANDLE port = nullptr;
} script;

constexpr DWORD kTransferError = ERROR_GEN_FAILURE;

BOOL WINAPI ScriptedWriteFile(HANDLE h, LPCVOID data, DWORD length, LPDWORD written,
                              LPOVERLAPPED o)
{
    const Fake mode = script.next;
    script.next = Fake::Real;
    switch (mode) {
    case Fake::Real:
        return WriteFile(h, data, length, written, o);
    case Fake::Refused:
        *written = 5; // whatever the platform left there, Send reports 0
        SetLastError(kTransferError);
        return FALSE;
    case Fake::ShortAtOnce:
        *written = length - 1;
        return TRUE;
    case Fake::PendingFails:
    case Fake::PendingShort:
    case Fake::PendingIncomplete:
        script.next = mode; // for GetOverlappedResult
        script.pending = o;
        *written = 0;
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    return FALSE;
}

// Reads know two failures: refused at once, and pending then failed.
BOOL WINAPI ScriptedReadFile(HANDLE h, LPVOID buffer, DWORD length, LPDWORD got, LPOVERLAPPED o)
{
    switch (script.next) {
    case Fake::Refused:
        script.next = Fake::Real;
        *got = 5;
        SetLastError(kTransferError);
        return FALSE;
    case Fake::PendingFails:
        script.pending = o;
        *got = 0;
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    default:
        return ReadFile(h, buffer, length, got, o);
    }
}

BOOL WINAPI ScriptedGetOverlappedResult(HANDLE h, LPOVERLAPPED o, LPDWORD done, BOOL wait)
{
    if (o != script.pending)
        return GetOverlappedResult(h, o, done, wait);
    switch (script.next) {
    case Fake::PendingFails:
        SetLastError(ERROR_OPERATION_ABORTED);
        break;
    case Fake::PendingShort:
        *done = 2;
        break;
    case Fake::PendingIncomplete:
        if (script.incomplete > 0) {
            --script.incomplete;
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        *done = 6;
        break;
    default:
        break;
    }
    const bool failed = script.next == Fake::PendingFails;
    script.next = Fake::Real;
    script.pending = nullptr;
    return failed ? FALSE : TRUE;
}

BOOL WINAPI CountingClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT status)
{
    if (h == script.port)
        ++script.clears;
    return ClearCommError(h, errors, status);
}

void WINAPI CountingSleep(DWORD ms)
{
    if (ms == 0)
        ++script.yields;
    Sleep(ms);
}

class TransferFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_TRUE(peer.IsOpen());
        script = Script{};
        calls.WriteFile = ScriptedWriteFile;
        calls.ReadFile = ScriptedReadFile;
        calls.GetOverlappedResult = ScriptedGetOverlappedResult;
        calls.ClearCommError = CountingClearCommError;
        calls.Sleep = CountingSleep;
        engine = MakeEngine(1024ul, 1024ul, calls);
        ASSERT_EQ(CL::ERR_OK, engine->Open(PortOf(pair.ComA())));
        script.port = engine->GetHandle();
        lastError = engine->GetLastError();
    }

    // Whatever the failure was, the port is still open, stores no code, and sends again.
    void ExpectThePortGoesOn()
    {
        EXPECT_EQ(lastError, engine->GetLastError()) << "Send stores no platform code";
        EXPECT_EQ(script.port, engine->GetHandle());
        unsigned long written = 0;
        EXPECT_EQ(CL::ERR_OK, engine->Send("next", 4, &written));
        EXPECT_EQ(4u, written);
        EXPECT_EQ("next", peer.Read(4, 2000));
    }

    NullModemPair pair;
    PeerPort peer{pair.ComB()};
    PlatformCalls calls = RealPlatformCalls();
    EnginePtr<> engine;
    DWORD lastError = 0;
};

TEST_F(TransferFailure, AWriteRefusedAtOnceIsAnIoErrorWithNothingWritten)
{
    script.next = Fake::Refused;
    unsigned long written = 77;
    EXPECT_EQ(CL::ERR_IO, engine->Send("abc", 3, &written));
    EXPECT_EQ(0u, written);
    EXPECT_EQ(1, script.clears) << "the port's error state is cleared";
    script.next = Fake::Refused;
    EXPECT_EQ(CL::ERR_IO, engine->Send("abc")) << "the text form alike";
    ExpectThePortGoesOn();
}

TEST_F(TransferFailure, APendingWriteThatFailsIsAnIoErrorWithNothingWritten)
{
    script.next = Fake::PendingFails;
    unsigned long written = 77;
    EXPECT_EQ(CL::ERR_IO, engine->Send("abcdef", 6, &written));
    EXPECT_EQ(0u, written) << "the zero that the pending WriteFile stored";
    EXPECT_EQ(1, script.clears);
    ExpectThePortGoesOn();
}

TEST_F(TransferFailure, AShortWriteReportsTheBytesThatWentOut)
{
    script.next = Fake::ShortAtOnce;
    unsigned long written = 0;
    EXPECT_EQ(CL::ERR_SHORT_WRITE, engine->Send("abcdef", 6, &written));
    EXPECT_EQ(5u, written);

    script.next = Fake::PendingShort;
    EXPECT_EQ(CL::ERR_SHORT_WRITE, engine->Send("abcdef", 6, &written));
    EXPECT_EQ(2u, written) << "counted once, from the completed write";

    script.next = Fake::ShortAtOnce;
    EXPECT_EQ(CL::ERR_SHORT_WRITE, engine->Send("abcdef")) << "the text form alike";
    EXPECT_EQ(0, script.clears) << "a short write is no port error";
    ExpectThePortGoesOn();
}

TEST_F(TransferFailure, AnIncompleteAnswerIsAskedAgainAfterAYield)
{
    script.next = Fake::PendingIncomplete;
    script.incomplete = 2;
    script.yields = 0;
    unsigned long written = 0;
    EXPECT_EQ(CL::ERR_OK, engine->Send("abcdef", 6, &written));
    EXPECT_EQ(6u, written);
    EXPECT_EQ(2, script.yields);
    ExpectThePortGoesOn();
}

TEST_F(TransferFailure, AFailedReadIsFalseAndClearsThePortsErrors)
{
    char buffer[8];
    unsigned long got = 77;
    script.next = Fake::Refused;
    EXPECT_FALSE(engine->Receive(buffer, sizeof buffer, &got));
    EXPECT_EQ(0u, got);
    EXPECT_EQ(1, script.clears);

    script.next = Fake::PendingFails;
    EXPECT_FALSE(engine->Receive(buffer, sizeof buffer, &got));
    EXPECT_EQ(0u, got) << "what the pending read left";
    EXPECT_EQ(2, script.clears) << "a pending read that fails clears them too";

    ASSERT_TRUE(peer.Write("in"));
    EXPECT_TRUE(engine->Receive(buffer, 2, &got));
    EXPECT_EQ("in", std::string(buffer, got));
    ExpectThePortGoesOn();
}

} // namespace
