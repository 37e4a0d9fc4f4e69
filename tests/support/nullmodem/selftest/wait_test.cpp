// How Wine ends, refuses and keeps WaitCommEvent requests: what an event loop can rely on.
#include "RigPairTest.h"

using RigWaitTest = RigPairTest;

TEST_F(RigWaitTest, SetCommMaskEndsAPendingWaitAsAborted)
{
    ASSERT_TRUE(SetCommMask(a->Handle(), kAllEvents));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending());
    ASSERT_TRUE(SetCommMask(a->Handle(), 0));
    ASSERT_TRUE(wait.Finish(kEventWaitMs)) << "SetCommMask(0) left the wait pending";
    EXPECT_FALSE(wait.Succeeded());
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), wait.Error());
    EXPECT_EQ(0u, wait.Events());
}

// Wine accepts a wait with an empty mask; only a new mask ends it.
TEST_F(RigWaitTest, WaitWithAnEmptyMaskStaysPending)
{
    ASSERT_TRUE(SetCommMask(a->Handle(), 0));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending()) << "error " << wait.Error();
    ASSERT_TRUE(b->Write("x", 1, kEventWaitMs));
    EXPECT_FALSE(wait.Finish(kQuietMs));

    ASSERT_TRUE(SetCommMask(a->Handle(), EV_RXCHAR));
    ASSERT_TRUE(wait.Finish(kEventWaitMs));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), wait.Error());
}

// Wine's wait runs in a thread of its own, outside the I/O that CancelIoEx and CancelIo
// reach: they report success and the wait goes on.
TEST_F(RigWaitTest, CancelIoExDoesNotEndAWait)
{
    ASSERT_TRUE(SetCommMask(a->Handle(), EV_RXCHAR));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending());
    EXPECT_TRUE(CancelIoEx(a->Handle(), nullptr));
    EXPECT_TRUE(CancelIo(a->Handle()));
    EXPECT_FALSE(wait.Finish(kQuietMs)) << "ended with error " << wait.Error();

    ASSERT_TRUE(b->Write("x", 1, kEventWaitMs));
    ASSERT_TRUE(wait.Finish(kEventWaitMs)) << "the wait no longer sees bytes";
    EXPECT_TRUE(wait.Succeeded()) << "error " << wait.Error();
    EXPECT_EQ(static_cast<DWORD>(EV_RXCHAR), wait.Events());
}

TEST_F(RigWaitTest, SecondWaitIsRefusedWhileOneIsPending)
{
    ASSERT_TRUE(SetCommMask(a->Handle(), kAllEvents));
    CommWait first(a->Handle());
    ASSERT_TRUE(first.IsPending());
    CommWait second(a->Handle());
    EXPECT_FALSE(second.IsPending());
    EXPECT_FALSE(second.Succeeded());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), second.Error());
}

// Under Wine EV_RXCHAR is a level, not an edge: bytes already waiting end a new wait at once.
TEST_F(RigWaitTest, BytesAlreadyWaitingEndANewWaitAtOnce)
{
    ASSERT_TRUE(b->Write("x", 1, kEventWaitMs));
    COMSTAT stat = {};
    DWORD errors = 0;
    const ULONGLONG deadline = GetTickCount64() + kEventWaitMs;
    while (ClearCommError(a->Handle(), &errors, &stat) && stat.cbInQue == 0 &&
           GetTickCount64() < deadline)
        Sleep(1);
    ASSERT_EQ(1u, stat.cbInQue) << "the byte did not arrive";

    ASSERT_TRUE(SetCommMask(a->Handle(), EV_RXCHAR));
    CommWait wait(a->Handle());
    EXPECT_FALSE(wait.IsPending());
    EXPECT_TRUE(wait.Succeeded()) << "error " << wait.Error();
    EXPECT_EQ(static_cast<DWORD>(EV_RXCHAR), wait.Events());
}
