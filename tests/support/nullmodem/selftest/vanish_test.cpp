// An unplugged device (nullmodemctl vanish) and its return (restore), as Wine reports them.
#include <string>

#include "RigPairTest.h"

namespace {

constexpr DWORD kNotReady = ERROR_NOT_READY;  // what Wine makes of EIO on the hung-up pty

}  // namespace

using RigVanishTest = RigPairTest;

// A pending wait ends as if cancelled (no spurious events), a pending read as a broken pipe.
TEST_F(RigVanishTest, PendingWaitAndReadEndAtOnce)
{
    ASSERT_TRUE(SetCommMask(a->Handle(), kAllEvents));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending());

    char byte = 0;
    OVERLAPPED read = {};
    read.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_FALSE(ReadFile(b->Handle(), &byte, 1, nullptr, &read));
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), GetLastError());

    ASSERT_TRUE(pair.Vanish()) << pair.Error();
    ASSERT_TRUE(wait.Finish(kEventWaitMs)) << "the wait outlived the device";
    EXPECT_FALSE(wait.Succeeded()) << "events " << EventNames(wait.Events());
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), wait.Error());

    DWORD got = 0;
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(read.hEvent, kEventWaitMs))
        << "the read outlived the device";
    EXPECT_FALSE(GetOverlappedResult(b->Handle(), &read, &got, FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), GetLastError());
    CloseHandle(read.hEvent);
}

TEST_F(RigVanishTest, EveryCallOnAVanishedPortFails)
{
    ASSERT_TRUE(pair.Vanish()) << pair.Error();
    HANDLE h = a->Handle();
    char byte = 0;
    DWORD error = 0;

    EXPECT_FALSE(a->Read(&byte, 1, kEventWaitMs, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BROKEN_PIPE), error);
    EXPECT_FALSE(a->Write("w", 1, kEventWaitMs, &error));
    EXPECT_EQ(kNotReady, error);

    DWORD errors = 0, status = 0;
    COMSTAT stat = {};
    EXPECT_FALSE(ClearCommError(h, &errors, &stat));
    EXPECT_EQ(kNotReady, GetLastError());
    EXPECT_FALSE(GetCommModemStatus(h, &status));
    EXPECT_EQ(kNotReady, GetLastError());
    EXPECT_FALSE(EscapeCommFunction(h, SETDTR));
    EXPECT_EQ(kNotReady, GetLastError());
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    EXPECT_FALSE(GetCommState(h, &dcb));
    EXPECT_EQ(kNotReady, GetLastError());

    ASSERT_TRUE(SetCommMask(h, kAllEvents));
    CommWait lines(h);
    EXPECT_FALSE(lines.IsPending()) << "a mask with line events fails at once";
    EXPECT_FALSE(lines.Succeeded());
    EXPECT_EQ(kNotReady, lines.Error());

    RigPort again(pair.ComA());
    EXPECT_FALSE(again.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), again.OpenError());
}

// The trap for an event loop: with only EV_RXCHAR/EV_TXEMPTY in the mask, a wait on a
// vanished port is accepted and then ends within milliseconds as if its mask had changed.
TEST_F(RigVanishTest, DataOnlyWaitOnAVanishedPortEndsAsAborted)
{
    ASSERT_TRUE(pair.Vanish()) << pair.Error();
    ASSERT_TRUE(SetCommMask(a->Handle(), EV_RXCHAR | EV_TXEMPTY));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending()) << "error " << wait.Error();
    ASSERT_TRUE(wait.Finish(kEventWaitMs));
    EXPECT_FALSE(wait.Succeeded());
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), wait.Error());
}

TEST_F(RigVanishTest, RestoreBringsNewDevicesUnderTheSameNumbers)
{
    ASSERT_TRUE(pair.Vanish()) << pair.Error();
    EXPECT_FALSE(pair.Vanish()) << "a vanished pair cannot vanish again";
    ASSERT_TRUE(pair.Restore()) << pair.Error();

    EXPECT_EQ(~0u, a->ModemStatus()) << "the old handle stays dead";
    RigPort newA(pair.ComA());
    ASSERT_TRUE(newA.IsOpen()) << "the old handle does not hold the new device: error "
                               << newA.OpenError();
    a->Close();
    b->Close();
    RigPort newB(pair.ComB());
    ASSERT_TRUE(newB.IsOpen()) << "error " << newB.OpenError();

    char got[2] = {};
    DWORD error = 0;
    ASSERT_TRUE(newB.Write("ok", 2, kEventWaitMs, &error)) << "error " << error;
    ASSERT_TRUE(newA.Read(got, 2, kEventWaitMs, &error)) << "error " << error;
    EXPECT_EQ("ok", std::string(got, 2));
    EXPECT_EQ(static_cast<DWORD>(MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON), newA.ModemStatus());
}
