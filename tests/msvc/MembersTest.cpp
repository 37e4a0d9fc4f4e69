// The exported class as a host of the Microsoft ABI sees it, and the members that need no port.
#include <stddef.h>
#include <string.h>

#include "Check.h"
#include "DialogCloser.h"
#include "HookRecorder.h"
#include "Tests.h"
#include "dialogs/ResourceIds.h"

#include "Mokacomm.h"

// The layouts of the Windows SDK, which a host built with it has.
static_assert(sizeof(CCommLib) == 2 * sizeof(void*), "the vftable pointer and the engine");
static_assert(sizeof(DCB) == 28 && offsetof(DCB, wReserved) == 12 && offsetof(DCB, XonChar) == 21 &&
                  offsetof(DCB, wReserved1) == 26,
              "DCB as the SDK lays it out");
static_assert(sizeof(COMSTAT) == 12 && offsetof(COMSTAT, cbInQue) == 4 &&
                  offsetof(COMSTAT, cbOutQue) == 8,
              "COMSTAT as the SDK lays it out");

void TestMembersWithoutPort()
{
    // A plain object's vftable is the one the DLL exports; the hooks sit in its slots in the
    // order of their declaration, which HookRecorder's overrides depend on.
    CCommLib plain;
    const HMODULE library = GetModuleHandleA("Mokacomm.dll");
    CHECK_EQ(reinterpret_cast<UINT_PTR>(*reinterpret_cast<void* const*>(&plain)),
             reinterpret_cast<UINT_PTR>(GetProcAddress(library, "??_7CCommLib@@6B@")));

    CCommLib sized(4096, 2048);
    CHECK_EQ(sized.GetPort(), CCommLib::PORT_NONE);
    CHECK(sized.GetHandle() == nullptr);
    CHECK_EQ(sized.GetLastError(), 0);
    CHECK_EQ(sized.GetLineStat(), 0);
    CHECK_EQ(sized.Close(), CCommLib::ERR_ALREADY);
    CHECK_EQ(sized.Open(CCommLib::PORT_NONE), CCommLib::ERR_BAD_PORT);
    CHECK_EQ(sized.Send("x"), CCommLib::ERR_NOT_OPEN);
    unsigned long written = 1;
    CHECK_EQ(sized.Send("x", 1, &written), CCommLib::ERR_NOT_OPEN);
    char buffer[4];
    unsigned long received = 1;
    CHECK(!sized.Receive(buffer, sizeof buffer, &received));
    CHECK_EQ(sized.SetLineStat(SETDTR), CCommLib::ERR_NOT_OPEN);
    // COM1..COM4 are no ports of the rig.
    CHECK_EQ(sized.Open(CCommLib::PORT_COM4), CCommLib::ERR_OPEN_FAILED);
    CHECK(sized.GetLastError() != 0);

    CHECK_EQ(strcmp(CCommLib::GetPortStr(CCommLib::PORT_COM1), "COM1"), 0);
    CHECK_EQ(strcmp(CCommLib::GetPortStr(CCommLib::PORT_COM32), "COM32"), 0);
    // "切断" (disconnected) in code page 932.
    CHECK_EQ(strcmp(CCommLib::GetPortStr(CCommLib::PORT_NONE), "\x90\xd8\x92\x66"), 0);

    // The settings are stored while no port is open; the defaults are 19200 8N2.
    DCB settings = sized.GetDCB();
    CHECK_EQ(settings.BaudRate, CBR_19200);
    CHECK_EQ(settings.ByteSize, 8);
    CHECK_EQ(settings.Parity, NOPARITY);
    CHECK_EQ(settings.StopBits, TWOSTOPBITS);
    settings.BaudRate = CBR_4800;
    settings.fOutxDsrFlow = TRUE;
    settings.fDtrControl = DTR_CONTROL_HANDSHAKE;
    CHECK_EQ(sized.SetDCB(settings), CCommLib::ERR_NOT_OPEN);
    CHECK_EQ(memcmp(&sized.GetDCB(), &settings, sizeof settings), 0);

    // The base hooks, called past the overrides: none of them reaches HookRecorder's.
    HookRecorder recorder;
    COMSTAT status = {};
    recorder.CCommLib::EventRx(1);
    recorder.CCommLib::EventLine(MS_CTS_ON);
    recorder.CCommLib::EventTxEnd();
    recorder.CCommLib::EventError(status, CE_FRAME);
    const HookRecorder::Record record = recorder.Recorded();
    for (LONG calls : record.calls)
        CHECK_EQ(calls, 0);

    // The library's own dialogs come from the DLL's templates, and show their Japanese whatever
    // the ANSI code page.
    {
        DialogCloser closer(IDC_PARITY, L"通信設定", L"なし    ");
        sized.SettingDlg();
        CHECK(closer.Closed());
    }
    {
        DialogCloser closer(IDC_PORT_LIST, L"COMポート選択", L"切断");
        sized.SelectPort();
        CHECK(closer.Closed());
    }
    CHECK_EQ(sized.GetPort(), CCommLib::PORT_NONE);
}
