// The modem lines of the cable: our DTR drives the peer's DSR and RLSD (DCD), our RTS drives
// the peer's CTS; RING and DCD can be forced at one end.
#include "RigPairTest.h"

namespace {

constexpr DWORD kPeerLines = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;

}  // namespace

using RigLinesTest = RigPairTest;

// Like a Linux serial port, a rig port raises DTR and RTS when opened and drops them when
// closed; RigPort's DCB also asks for both.
TEST_F(RigLinesTest, PeerOpenAndCloseDriveTheLines)
{
    EXPECT_EQ(kPeerLines, a->ModemStatus());
    EXPECT_TRUE(EventsAfter(
        *a, EV_CTS | EV_DSR | EV_RLSD, [&] { b->Close(); return true; },
        EV_CTS | EV_DSR | EV_RLSD));
    EXPECT_EQ(0u, a->ModemStatus());

    EXPECT_TRUE(EventsAfter(
        *a, EV_CTS | EV_DSR | EV_RLSD,
        [&] {
            b = std::make_unique<RigPort>(pair.ComB());
            return b->IsOpen();
        },
        EV_CTS | EV_DSR | EV_RLSD));
    EXPECT_EQ(kPeerLines, a->ModemStatus());
}

TEST_F(RigLinesTest, PeerDtrDrivesDsrAndRlsd)
{
    const DWORD mask = EV_CTS | EV_DSR | EV_RLSD;
    EXPECT_TRUE(EventsAfter(
        *a, mask, [&] { return EscapeCommFunction(b->Handle(), CLRDTR) != 0; },
        EV_DSR | EV_RLSD));
    EXPECT_EQ(static_cast<DWORD>(MS_CTS_ON), a->ModemStatus());

    EXPECT_TRUE(EventsAfter(
        *a, mask, [&] { return EscapeCommFunction(b->Handle(), SETDTR) != 0; },
        EV_DSR | EV_RLSD));
    EXPECT_EQ(kPeerLines, a->ModemStatus());
    EXPECT_EQ(kPeerLines, b->ModemStatus()) << "the lines of the other direction stay apart";
}

TEST_F(RigLinesTest, PeerRtsDrivesCts)
{
    const DWORD mask = EV_CTS | EV_DSR | EV_RLSD;
    EXPECT_TRUE(EventsAfter(
        *b, mask, [&] { return EscapeCommFunction(a->Handle(), CLRRTS) != 0; }, EV_CTS));
    EXPECT_EQ(static_cast<DWORD>(MS_DSR_ON | MS_RLSD_ON), b->ModemStatus());

    EXPECT_TRUE(EventsAfter(
        *b, mask, [&] { return EscapeCommFunction(a->Handle(), SETRTS) != 0; }, EV_CTS));
    EXPECT_EQ(kPeerLines, b->ModemStatus());
}

TEST_F(RigLinesTest, DcbDtrControlDrivesThePeer)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(b->Handle(), &dcb));
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    EXPECT_TRUE(EventsAfter(
        *a, EV_DSR, [&] { return SetCommState(b->Handle(), &dcb) != 0; }, EV_DSR));
    EXPECT_EQ(0u, a->ModemStatus() & MS_DSR_ON);
}

TEST_F(RigLinesTest, EventsOutsideTheMaskDoNotEndTheWait)
{
    ASSERT_TRUE(SetCommMask(a->Handle(), EV_CTS));
    CommWait wait(a->Handle());
    ASSERT_TRUE(wait.IsPending());
    ASSERT_TRUE(EscapeCommFunction(b->Handle(), CLRDTR));
    EXPECT_FALSE(wait.Finish(kQuietMs)) << "DSR and RLSD are not in the mask";

    ASSERT_TRUE(EscapeCommFunction(b->Handle(), CLRRTS));
    ASSERT_TRUE(wait.Finish(kEventWaitMs)) << "no EV_CTS within " << kEventWaitMs << " ms";
    EXPECT_TRUE(wait.Succeeded()) << "error " << wait.Error();
    EXPECT_EQ(static_cast<DWORD>(EV_CTS), wait.Events()) << EventNames(wait.Events());
}

TEST_F(RigLinesTest, ForcedRingRaisesAndDropsRing)
{
    EXPECT_TRUE(EventsAfter(
        *a, EV_RING, [&] { return pair.SetRing(pair.ComA(), true); }, EV_RING))
        << pair.Error();
    EXPECT_EQ(kPeerLines | MS_RING_ON, a->ModemStatus());
    EXPECT_EQ(kPeerLines, b->ModemStatus()) << "RING is forced at one end only";

    EXPECT_TRUE(EventsAfter(
        *a, EV_RING, [&] { return pair.SetRing(pair.ComA(), false); }, EV_RING))
        << pair.Error();
    EXPECT_EQ(kPeerLines, a->ModemStatus());
}

TEST_F(RigLinesTest, ForcedDcdOverridesThePeerDtrUntilReleased)
{
    const DWORD mask = EV_DSR | EV_RLSD;
    EXPECT_TRUE(EventsAfter(
        *a, mask, [&] { return pair.SetDcd(pair.ComA(), false); }, EV_RLSD))
        << pair.Error();
    EXPECT_EQ(static_cast<DWORD>(MS_CTS_ON | MS_DSR_ON), a->ModemStatus())
        << "carrier lost, the peer still there";

    EXPECT_TRUE(EventsAfter(
        *a, mask, [&] { return EscapeCommFunction(b->Handle(), CLRDTR) != 0; }, EV_DSR));
    EXPECT_TRUE(EventsAfter(
        *a, mask, [&] { return pair.SetDcd(pair.ComA(), true); }, EV_RLSD))
        << pair.Error();
    EXPECT_EQ(static_cast<DWORD>(MS_CTS_ON | MS_RLSD_ON), a->ModemStatus());

    EXPECT_TRUE(EventsAfter(
        *a, mask, [&] { return pair.ReleaseDcd(pair.ComA()); }, EV_RLSD))
        << pair.Error();
    EXPECT_EQ(static_cast<DWORD>(MS_CTS_ON), a->ModemStatus()) << "DCD follows DTR again";
}
