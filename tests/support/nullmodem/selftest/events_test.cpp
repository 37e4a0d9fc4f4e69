// Breaks, receive errors, received bytes and an empty transmitter as WaitCommEvent events.
#include "RigPairTest.h"

using RigEventsTest = RigPairTest;

TEST_F(RigEventsTest, PeerBreakArrivesOnceAsEvBreak)
{
    EXPECT_TRUE(EventsAfter(
        *a, EV_BREAK, [&] { return EscapeCommFunction(b->Handle(), SETBREAK) != 0; },
        EV_BREAK));

    ASSERT_TRUE(SetCommMask(a->Handle(), EV_BREAK));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending());
    ASSERT_TRUE(EscapeCommFunction(b->Handle(), CLRBREAK));
    EXPECT_FALSE(wait.Finish(kQuietMs)) << "the end of a break is no new break";
}

TEST_F(RigEventsTest, InjectedBreakArrivesAsEvBreak)
{
    EXPECT_TRUE(EventsAfter(
        *a, kAllEvents, [&] { return pair.Break(pair.ComA()); }, EV_BREAK))
        << pair.Error();
}

// Under Wine, ClearCommError's error word stays 0: a receive error shows as EV_ERR only.
TEST_F(RigEventsTest, InjectedReceiveErrorsArriveAsEvErr)
{
    for (auto kind : {NullModemPair::Framing, NullModemPair::Parity, NullModemPair::Overrun}) {
        EXPECT_TRUE(EventsAfter(
            *a, kAllEvents, [&] { return pair.InjectError(pair.ComA(), kind); }, EV_ERR))
            << "error kind " << kind << ": " << pair.Error();
        DWORD errors = ~0u;
        COMSTAT stat = {};
        ASSERT_TRUE(ClearCommError(a->Handle(), &errors, &stat));
        EXPECT_EQ(0u, errors) << "Wine reports no CE_* bits";
    }
}

TEST_F(RigEventsTest, InjectedEventsReachOnlyTheirEnd)
{
    ASSERT_TRUE(SetCommMask(b->Handle(), kAllEvents));
    CommWait wait(b->Handle());
    ASSERT_TRUE(wait.IsPending());
    ASSERT_TRUE(pair.Break(pair.ComA())) << pair.Error();
    ASSERT_TRUE(pair.InjectError(pair.ComA(), NullModemPair::Framing)) << pair.Error();
    EXPECT_FALSE(wait.Finish(kQuietMs)) << "events " << EventNames(wait.Events());
}

TEST_F(RigEventsTest, PeerByteArrivesAsEvRxChar)
{
    EXPECT_TRUE(EventsAfter(
        *a, EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD,
        [&] { return b->Write("r", 1, kEventWaitMs); }, EV_RXCHAR));
    char got = 0;
    ASSERT_TRUE(a->Read(&got, 1, kEventWaitMs));
    EXPECT_EQ('r', got);
}

TEST_F(RigEventsTest, WriteEndsWithEvTxEmpty)
{
    EXPECT_TRUE(EventsAfter(
        *a, EV_TXEMPTY, [&] { return a->Write("t", 1, kEventWaitMs); }, EV_TXEMPTY));
    char got = 0;
    ASSERT_TRUE(b->Read(&got, 1, kEventWaitMs));
    EXPECT_EQ('t', got);
}
