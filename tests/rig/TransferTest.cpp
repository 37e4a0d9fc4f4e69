// Receive, Send, the settings and the modem lines of a CCommLib on a null-modem port.
#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "ComPort.h"
#include "Eventually.h"
#include "ImportPatch.h"
#include "Mokacomm.h"
#include "NullModem.h"
#include "PeerPort.h"

namespace {

using CL = CCommLib;

class Transfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pair.Ok()) << pair.Error();
        ASSERT_TRUE(peer.IsOpen());
        ASSERT_EQ(CL::ERR_OK, host.Open(PortOf(pair.ComA())));
    }

    NullModemPair pair;
    PeerPort peer{pair.ComB()};
    CCommLib host;
};

TEST_F(Transfer, ReceiveReturnsWhatCameAndTheTimeoutsEndAShortRead)
{
    ASSERT_TRUE(peer.Write("abcdef"));
    char buffer[16] = {};
    unsigned long got = 0;
    ASSERT_TRUE(Eventually([&] {
        COMSTAT s{};
        DWORD e;
        return ClearCommError(host.GetHandle(), &e, &s) && s.cbInQue == 6;
    }));
    ASSERT_TRUE(host.Receive(buffer, 6, &got));
    EXPECT_EQ(6u, got);
    EXPECT_EQ("abcdef", std::string(buffer, got));

    // More asked than came: the 1000 ms read time-out ends the read with the part.
    ASSERT_TRUE(peer.Write("xyz"));
    EXPECT_TRUE(host.Receive(buffer, sizeof buffer, &got));
    EXPECT_EQ("xyz", std::string(buffer, got));

    // Nothing came: Windows completes with 0 bytes, Wine fails the read; either way no bytes.
    got = 99;
    const bool completed = host.Receive(buffer, sizeof buffer, &got);
    EXPECT_EQ(0u, got) << "completed=" << completed;
}

TEST_F(Transfer, TheTextFormSendsNoTerminatorAndAnEmptyTextIsFine)
{
    EXPECT_EQ(CL::ERR_OK, host.Send("hello"));
    EXPECT_EQ(CL::ERR_OK, host.Send(""));
    const std::string binary("\x00\x01\xFF\x7F", 4);
    unsigned long written = 0;
    EXPECT_EQ(CL::ERR_OK, host.Send(binary.data(), 4, &written));
    EXPECT_EQ(4u, written);
    EXPECT_EQ("hello" + binary, peer.Read(20, 500)) << "exactly the bytes before each NUL";
}

TEST_F(Transfer, SetDcbAppliesTheSettingsAndKeepsARefusedRecord)
{
    DCB d = host.GetDCB();
    d.BaudRate = 57600;
    d.StopBits = ONESTOPBIT;
    EXPECT_EQ(CL::ERR_OK, host.SetDCB(d));
    DCB actual{};
    actual.DCBlength = sizeof actual;
    ASSERT_TRUE(GetCommState(host.GetHandle(), &actual));
    EXPECT_EQ(57600u, actual.BaudRate);
    EXPECT_EQ(ONESTOPBIT, actual.StopBits);

    const DWORD error = host.GetLastError();
    DCB refused = d;
    refused.ByteSize = 9;
    EXPECT_EQ(CL::ERR_IO, host.SetDCB(refused));
    EXPECT_EQ(9, host.GetDCB().ByteSize) << "the refused record stays stored";
    EXPECT_EQ(error, host.GetLastError());
    ASSERT_TRUE(GetCommState(host.GetHandle(), &actual));
    EXPECT_EQ(57600u, actual.BaudRate) << "the port kept its state";
}

TEST_F(Transfer, SetLineStatDrivesThePeersLinesAndReportsRefusals)
{
    EXPECT_EQ(CL::ERR_OK, host.SetLineStat(SETDTR));
    EXPECT_TRUE(Eventually([&] { return (peer.ModemStatus() & (MS_DSR_ON | MS_RLSD_ON)) == (MS_DSR_ON | MS_RLSD_ON); }));
    EXPECT_EQ(CL::ERR_OK, host.SetLineStat(SETRTS));
    EXPECT_TRUE(Eventually([&] { return (peer.ModemStatus() & MS_CTS_ON) != 0; }));
    EXPECT_EQ(CL::ERR_OK, host.SetLineStat(CLRDTR));
    EXPECT_TRUE(Eventually([&] { return (peer.ModemStatus() & MS_DSR_ON) == 0; }));

    // The peer sees a break as EV_BREAK.
    SetCommMask(peer.Handle(), EV_BREAK);
    OVERLAPPED o{};
    o.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD mask = 0;
    const BOOL at_once = WaitCommEvent(peer.Handle(), &mask, &o);
    EXPECT_EQ(CL::ERR_OK, host.SetLineStat(SETBREAK));
    if (!at_once) {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(o.hEvent, 5000));
        DWORD n;
        GetOverlappedResult(peer.Handle(), &o, &n, FALSE);
    }
    EXPECT_TRUE(mask & EV_BREAK);
    EXPECT_EQ(CL::ERR_OK, host.SetLineStat(CLRBREAK));
    CloseHandle(o.hEvent);

    // A code the platform refuses: the platform's own error code is kept.
    SetLastError(0);
    EscapeCommFunction(peer.Handle(), 99);
    const DWORD platformError = GetLastError();
    EXPECT_EQ(CL::ERR_SYSTEM, host.SetLineStat(99));
    EXPECT_EQ(platformError, host.GetLastError());
}

// The reader thread's calls inside Mokacomm.dll, in the order of `steps`. The event thread waits
// with GetOverlappedResult too, so only the reader's calls count.
std::atomic<DWORD> readerThread{0};
HANDLE readIssued = nullptr;
std::atomic<int> steps{0};
std::atomic<int> readEndedAt{0};

BOOL WINAPI NoteRead(HANDLE h, LPVOID buffer, DWORD length, LPDWORD got, LPOVERLAPPED o)
{
    const BOOL done = ReadFile(h, buffer, length, got, o);
    if (GetCurrentThreadId() == readerThread)
        SetEvent(readIssued);
    return done;
}

BOOL WINAPI NoteReadEnd(HANDLE h, LPOVERLAPPED o, LPDWORD transferred, BOOL wait)
{
    const BOOL done = GetOverlappedResult(h, o, transferred, wait);
    if (GetCurrentThreadId() == readerThread)
        readEndedAt = ++steps;
    return done;
}

TEST_F(Transfer, AWaitingReceiveHoldsBackOtherOperations)
{
    const HMODULE library = GetModuleHandleA("Mokacomm.dll");
    ImportPatch reads(library, "kernel32.dll", "ReadFile", reinterpret_cast<void*>(&NoteRead));
    ImportPatch ends(library, "kernel32.dll", "GetOverlappedResult",
                     reinterpret_cast<void*>(&NoteReadEnd));
    ASSERT_TRUE(reads.Ok() && ends.Ok());
    readIssued = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    readEndedAt = 0;
    // An object takes its kernel32 calls when it is made: this one after the patches.
    CCommLib watched;
    ASSERT_EQ(CL::ERR_OK, host.Close());
    ASSERT_EQ(CL::ERR_OK, watched.Open(PortOf(pair.ComA())));
    std::thread reader([&] {
        readerThread = GetCurrentThreadId();
        char buffer[8];
        unsigned long got = 0;
        watched.Receive(buffer, sizeof buffer, &got); // nothing comes: ends by its time-out
    });
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(readIssued, 5000)) << "no read began";
    EXPECT_EQ(CL::ERR_OK, watched.SetLineStat(SETDTR));
    const int lineSetAt = ++steps;
    reader.join();
    readerThread = 0;
    CloseHandle(readIssued);
    EXPECT_NE(0, readEndedAt.load()) << "the read did not wait";
    EXPECT_GT(lineSetAt, readEndedAt.load()) << "SetLineStat returned while the read waited";
}

TEST_F(Transfer, ASendRacingACloseReportsAClosedPort)
{
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::atomic<int> lastBad{CL::ERR_OK};
    // The peer takes everything: a line left full would rightly end Sends with their write
    // time-out (ERR_SHORT_WRITE or ERR_IO), the sooner the faster the machine sends.
    std::thread drain([&] {
        while (!stop)
            peer.Read(4096, 20);
    });
    std::thread sender([&] {
        while (!stop) {
            const CL::ERR r = host.Send("0123456789");
            if (r != CL::ERR_OK && r != CL::ERR_NOT_OPEN) {
                ++bad;
                lastBad = r;
            }
        }
    });
    for (int i = 0; i < 20; ++i) {
        Sleep(10);
        EXPECT_EQ(CL::ERR_OK, host.Close());
        Sleep(5);
        EXPECT_EQ(CL::ERR_OK, host.Open(PortOf(pair.ComA())));
    }
    stop = true;
    sender.join();
    drain.join();
    EXPECT_EQ(0, bad.load()) << "a Send during Close gives ERR_NOT_OPEN, never another failure; "
                             << "the last was " << lastBad.load();
}

} // namespace
