// A port of the rig driven through the DLL, with a plain handle at the other end of the pair.
#include <string.h>

#include "Check.h"
#include "HookRecorder.h"
#include "Peer.h"
#include "RigPair.h"
#include "Tests.h"

#include "Mokacomm.h"

namespace {

// What the peer reads of `length` bytes is `expected`.
bool PeerGot(Peer& peer, const char* expected)
{
    char buffer[32] = "";
    const DWORD length = static_cast<DWORD>(strlen(expected));
    return peer.Read(buffer, length) == length && memcmp(buffer, expected, length) == 0;
}

bool HostGot(HookRecorder& host, const char* expected)
{
    return Eventually([&] { return strcmp(host.Recorded().received, expected) == 0; });
}

DWORD PeerModemStatus(Peer& peer)
{
    DWORD status = 0;
    GetCommModemStatus(peer.Handle(), &status);
    return status;
}

void CheckData(HookRecorder& host, Peer& peer)
{
    CHECK_EQ(host.Send("ping"), CCommLib::ERR_OK);
    CHECK(PeerGot(peer, "ping"));
    unsigned long written = 0;
    CHECK_EQ(host.Send("data", 4, &written), CCommLib::ERR_OK);
    CHECK_EQ(written, 4);
    CHECK(PeerGot(peer, "data"));
    CHECK(host.WaitForCall(HookRecorder::TxEnd));

    CHECK(peer.Write("pong", 4));
    CHECK(HostGot(host, "pong"));
    // Every hook ran on the one event thread, never on this one.
    const HookRecorder::Record record = host.Recorded();
    CHECK(!record.otherThread);
    CHECK(record.threads[HookRecorder::Rx] != 0);
    CHECK(record.threads[HookRecorder::Rx] != GetCurrentThreadId());
}

void CheckLines(HookRecorder& host, Peer& peer)
{
    // The peer's DTR is our DSR.
    const struct {
        DWORD function;
        DWORD dsr;
    } steps[] = {{CLRDTR, 0}, {SETDTR, MS_DSR_ON}};
    for (const auto& step : steps) {
        host.Clear();
        CHECK(host.WaitForNextWait());
        CHECK(EscapeCommFunction(peer.Handle(), step.function));
        if (CHECK(host.WaitForCall(HookRecorder::Line)))
            CHECK_EQ(host.Recorded().modemStatus & MS_DSR_ON, step.dsr);
        CHECK_EQ(host.GetLineStat() & MS_DSR_ON, step.dsr);
    }
    // Our RTS is the peer's CTS.
    CHECK_EQ(host.SetLineStat(CLRRTS), CCommLib::ERR_OK);
    CHECK(Eventually([&] { return (PeerModemStatus(peer) & MS_CTS_ON) == 0; }));
    CHECK_EQ(host.SetLineStat(SETRTS), CCommLib::ERR_OK);
    CHECK(Eventually([&] { return (PeerModemStatus(peer) & MS_CTS_ON) != 0; }));
}

void CheckLineError(HookRecorder& host, RigPair& pair)
{
    host.Clear();
    CHECK(host.WaitForNextWait());
    if (!CHECK(pair.InjectFramingError()))
        return;
    if (!CHECK(host.WaitForCall(HookRecorder::Error)))
        return;
    // The status the hook was handed is the port's, field for field.
    const HookRecorder::Record record = host.Recorded();
    CHECK_EQ(memcmp(&record.status, &record.statusAfter, sizeof(COMSTAT)), 0);
}

// A copy operates the same port; the port's events still go to the object that made it.
void CheckCopies(HookRecorder& host, Peer& peer, CCommLib::PORT port)
{
    {
        CCommLib copy(host);
        CHECK_EQ(copy.GetPort(), port);
        CHECK(copy.GetHandle() == host.GetHandle());
        CHECK_EQ(copy.Send("copy"), CCommLib::ERR_OK);
        CHECK(PeerGot(peer, "copy"));
        CCommLib assigned;
        assigned = copy;
        CHECK(assigned.GetHandle() == host.GetHandle());
        host.Clear();
        CHECK(peer.Write("back", 4));
        CHECK(HostGot(host, "back"));
    }
    CHECK(host.GetHandle() != nullptr);
    CHECK_EQ(host.Send("last"), CCommLib::ERR_OK);
    CHECK(PeerGot(peer, "last"));
}

// The settings go through the DLL to the port, the bit fields included. The DLL stores them all;
// of the port's, Wine's ptys keep the rate, the stop bits and the flow control.
void CheckSettings(HookRecorder& host)
{
    const DCB original = host.GetDCB();
    DCB settings = original;
    settings.BaudRate = CBR_9600;
    settings.ByteSize = 7;
    settings.Parity = EVENPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fParity = TRUE;
    settings.fOutxCtsFlow = TRUE;
    settings.fRtsControl = RTS_CONTROL_HANDSHAKE;
    settings.fOutX = TRUE;
    settings.fInX = TRUE;
    settings.XonChar = 0x11;
    settings.XoffChar = 0x13;
    CHECK_EQ(host.SetDCB(settings), CCommLib::ERR_OK);
    CHECK_EQ(memcmp(&host.GetDCB(), &settings, sizeof settings), 0);

    DCB applied = {};
    applied.DCBlength = sizeof applied;
    if (!CHECK(GetCommState(host.GetHandle(), &applied)))
        return;
    CHECK_EQ(applied.BaudRate, 9600);
    CHECK_EQ(applied.StopBits, ONESTOPBIT);
    CHECK_EQ(applied.fOutxCtsFlow, 1);
    CHECK_EQ(applied.fOutX, 1);
    CHECK_EQ(applied.fInX, 1);
    CHECK_EQ(applied.XonChar, 0x11);
    CHECK_EQ(applied.XoffChar, 0x13);
    CHECK_EQ(host.SetDCB(original), CCommLib::ERR_OK);
}

// The event thread knows itself through a thread_local of the DLL: Close from a hook returns at
// once instead of waiting 10 s for the thread that calls it.
void CheckCloseFromHook(HookRecorder& host, Peer& peer, CCommLib::PORT port)
{
    host.Clear();
    host.CloseInHook();
    if (!CHECK_EQ(host.Open(port), CCommLib::ERR_OK))
        return;
    CHECK(peer.Write("z", 1));
    CHECK(Eventually([&] { return host.Recorded().closedInHook; }));
    const HookRecorder::Record record = host.Recorded();
    CHECK_EQ(record.closeResult, CCommLib::ERR_THREAD_TIMEOUT);
    CHECK(record.closeMs < 1000);
    CHECK_EQ(host.GetPort(), CCommLib::PORT_NONE);
}

} // namespace

void TestOpenPort(RigPair& pair)
{
    Peer peer(pair.ComB());
    if (!CHECK(peer.IsOpen()))
        return;
    HookRecorder host;
    const auto port = static_cast<CCommLib::PORT>(CCommLib::PORT_COM1 + pair.ComA() - 1);
    if (!CHECK_EQ(host.Open(port), CCommLib::ERR_OK))
        return;
    CHECK_EQ(host.GetPort(), port);
    CHECK(host.GetHandle() != nullptr);
    CHECK_EQ(host.Open(port), CCommLib::ERR_ALREADY);

    CheckData(host, peer);
    CheckLines(host, peer);
    CheckLineError(host, pair);
    CheckCopies(host, peer, port);
    CheckSettings(host);

    CHECK_EQ(host.Close(), CCommLib::ERR_OK);
    CHECK_EQ(host.GetPort(), CCommLib::PORT_NONE);
    CHECK(host.GetHandle() == nullptr);

    CheckCloseFromHook(host, peer, port);
}
