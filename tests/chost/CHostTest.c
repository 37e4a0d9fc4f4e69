/* MokacommC.dll from a host written in C89, built by either toolchain, on a null-modem pair of
 * the rig: what the example C host (examples/c, run here too) does not show. The exit status says
 * whether every check passed. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "MokacommC.h"
#include "RigShim.h"

/* Line changes sent while the host does not wait: fewer than the queue holds. */
#define BURST 500
#define WAIT_MS 5000

static int checks;
static int failures;

static int Check(int passed, int line, const char* what)
{
    ++checks;
    if (!passed) {
        ++failures;
        printf("CHostTest.c(%d): check failed: %s\n", line, what);
    }
    return passed;
}

static int CheckEqual(long actual, long expected, int line, const char* what)
{
    if (actual != expected)
        printf("CHostTest.c(%d): got %ld, expected %ld\n", line, actual, expected);
    return Check(actual == expected, line, what);
}

/* Both give whether the check passed. */
#define CHECK(condition) Check((condition) != 0, __LINE__, #condition)
#define CHECK_EQ(actual, expected) \
    CheckEqual((long)(actual), (long)(expected), __LINE__, #actual " == " #expected)

static void TestVersionAndNames(void)
{
    static const WCHAR disconnected[] = {0x5207, 0x65AD, 0};
    char name[MOKACOMM_PORT_NAME_SIZE];
    WCHAR wide[MOKACOMM_PORT_NAME_SIZE];
    CHECK_EQ(MokacommVersion(), MOKACOMM_MAKE_VERSION(MOKACOMM_VERSION_MAJOR,
                                                      MOKACOMM_VERSION_MINOR,
                                                      MOKACOMM_VERSION_PATCH));
    if (CHECK_EQ(MokacommGetPortNameA(MOKACOMM_PORT_COM(32), name, sizeof name), 0))
        CHECK(strcmp(name, "COM32") == 0);
    if (CHECK_EQ(MokacommGetPortNameA(-1, name, sizeof name), 0))
        CHECK(strcmp(name, "\x90\xD8\x92\x66") == 0);
    if (CHECK_EQ(MokacommGetPortNameW(MOKACOMM_PORT_COM(1), wide, MOKACOMM_PORT_NAME_SIZE), 0))
        CHECK(lstrcmpW(wide, L"COM1") == 0);
    if (CHECK_EQ(MokacommGetPortNameW(MOKACOMM_PORT_NONE, wide, MOKACOMM_PORT_NAME_SIZE), 0))
        CHECK(memcmp(wide, disconnected, sizeof disconnected) == 0);
    /* One character short. */
    CHECK_EQ(MokacommGetPortNameA(MOKACOMM_PORT_COM(32), name, 5), MOKACOMM_ERR_ARGUMENT);
    CHECK_EQ(MokacommGetPortNameW(MOKACOMM_PORT_NONE, wide, 2), MOKACOMM_ERR_ARGUMENT);
    CHECK_EQ(MokacommOpen(NULL, 0), MOKACOMM_ERR_ARGUMENT);
}

static HANDLE WINAPI RefusedEvent(LPSECURITY_ATTRIBUTES security, BOOL manual, BOOL set,
                                  LPCSTR name)
{
    (void)security, (void)manual, (void)set, (void)name;
    SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    return NULL;
}

/* No memory for the port object, the one block above 16 KiB that MokacommCreate asks for (its
 * event queue is larger): the runtimes' own small blocks, which an exception may need, come. */
#define LARGE_BLOCK 16384
#ifdef _MSC_VER
static LPVOID WINAPI NoLargeHeapBlock(HANDLE heap, DWORD flags, SIZE_T size)
{
    return size > LARGE_BLOCK ? NULL : HeapAlloc(heap, flags, size);
}
#else
static void* __cdecl NoLargeBlock(size_t size)
{
    return size > LARGE_BLOCK ? NULL : malloc(size);
}
#endif

/* The failures of the class's constructor, made in the real DLL, come back as codes. */
static void TestConstructionFailures(void)
{
    static const struct {
        const char* dll;
        const char* function;
        RigFunction replacement;
        int expected;
    } causes[] = {
        {"kernel32.dll", "CreateEventA", (RigFunction)RefusedEvent, MOKACOMM_ERR_NO_RESOURCES},
#ifdef _MSC_VER
        /* The Microsoft-ABI build's operator new takes the process heap, */
        {"kernel32.dll", "HeapAlloc", (RigFunction)NoLargeHeapBlock, MOKACOMM_ERR_NO_MEMORY},
#else
        /* the mingw-w64 build's msvcrt.dll's malloc. */
        {"msvcrt.dll", "malloc", (RigFunction)NoLargeBlock, MOKACOMM_ERR_NO_MEMORY},
#endif
    };
    MokacommPort* port = NULL;
    size_t i;
    for (i = 0; i < sizeof causes / sizeof causes[0]; ++i) {
        if (!CHECK(RigPatch(causes[i].dll, causes[i].function, causes[i].replacement))) {
            printf("no import of %s\n", causes[i].function);
            continue;
        }
        port = (MokacommPort*)&port; /* anything but NULL, which a failure must leave */
        CHECK_EQ(MokacommCreate(&port, 1024, 1024), causes[i].expected);
        RigUnpatch();
        CHECK(port == NULL);
    }
    if (CHECK_EQ(MokacommCreate(&port, 1024, 1024), MOKACOMM_ERR_OK))
        CHECK(port != NULL);
    MokacommDestroy(port);
    CHECK_EQ(MokacommCreate(NULL, 1024, 1024), MOKACOMM_ERR_ARGUMENT);
}

static DCB PortState(MokacommPort* port)
{
    DCB state;
    memset(&state, 0, sizeof state);
    state.DCBlength = sizeof state;
    CHECK(GetCommState(MokacommGetHandle(port), &state));
    return state;
}

/* The plain record and the DCB are two views of the same settings, stored until Open applies
 * them. (The rig's ptys keep the speed and the flow control, but always 8 bits, no parity.) */
static void TestSettings(int com)
{
    MokacommPort* port = NULL;
    MOKACOMM_SETTINGS settings;
    DCB dcb;
    if (!CHECK_EQ(MokacommCreate(&port, 1024, 1024), MOKACOMM_ERR_OK))
        return;
    settings.size = sizeof settings;
    CHECK_EQ(MokacommGetSettings(port, &settings), MOKACOMM_ERR_OK);
    CHECK(settings.baudRate == 19200 && settings.dataBits == 8 && settings.parity == NOPARITY &&
          settings.stopBits == TWOSTOPBITS && settings.flowControl == 0);
    settings.baudRate = 9600;
    settings.dataBits = 7;
    settings.parity = EVENPARITY;
    settings.stopBits = ONESTOPBIT;
    settings.flowControl = MOKACOMM_FLOW_RTS_CTS;
    CHECK_EQ(MokacommSetSettings(port, &settings), MOKACOMM_ERR_NOT_OPEN);
    CHECK_EQ(MokacommGetDCB(port, &dcb), MOKACOMM_ERR_OK);
    CHECK(dcb.BaudRate == 9600 && dcb.ByteSize == 7 && dcb.Parity == EVENPARITY &&
          dcb.StopBits == ONESTOPBIT && dcb.fOutxCtsFlow &&
          dcb.fRtsControl == RTS_CONTROL_HANDSHAKE && !dcb.fOutX);
    if (CHECK_EQ(MokacommOpen(port, MOKACOMM_PORT_COM(com)), MOKACOMM_ERR_OK)) {
        dcb = PortState(port);
        CHECK(dcb.BaudRate == 9600 && dcb.fOutxCtsFlow);
        settings.baudRate = 4800;
        settings.dataBits = 8;
        settings.parity = NOPARITY;
        settings.flowControl = 0;
        CHECK_EQ(MokacommSetSettings(port, &settings), MOKACOMM_ERR_OK);
        dcb = PortState(port);
        CHECK(dcb.BaudRate == 4800 && !dcb.fOutxCtsFlow);
        CHECK_EQ(MokacommGetDCB(port, &dcb), MOKACOMM_ERR_OK);
        CHECK_EQ(dcb.fRtsControl, RTS_CONTROL_DISABLE);
        /* The way of the events is chosen while no port is open. */
        CHECK_EQ(MokacommSetQueue(port), MOKACOMM_ERR_ALREADY);
    }
    settings.size = sizeof settings - 1;
    CHECK_EQ(MokacommSetSettings(port, &settings), MOKACOMM_ERR_ARGUMENT);
    MokacommDestroy(port);
}

typedef struct Closer {
    MokacommPort* port;
    LONG calls;
    int result;
    int portAfter;
    HANDLE done;
} Closer;

static void WINAPI CloseOnRx(void* context, DWORD bytesInQueue)
{
    Closer* closer = (Closer*)context;
    char buffer[16];
    DWORD got = 0;
    if (InterlockedIncrement(&closer->calls) != 1)
        return;
    MokacommReceive(closer->port, buffer,
                    bytesInQueue < sizeof buffer ? bytesInQueue : sizeof buffer, &got);
    closer->result = MokacommClose(closer->port);
    closer->portAfter = MokacommGetPort(closer->port);
    SetEvent(closer->done);
}

/* A callback closes its own port: the class's rule, Close returns at once with the port closed,
 * and the event thread that called it ends; the port opens again as any other. */
static void TestCloseFromCallback(int com, MokacommPort* peer)
{
    Closer closer;
    memset(&closer, 0, sizeof closer);
    closer.done = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!CHECK_EQ(MokacommCreate(&closer.port, 1024, 1024), MOKACOMM_ERR_OK))
        return;
    CHECK_EQ(MokacommSetCallbacks(closer.port, CloseOnRx, NULL, NULL, NULL, &closer),
             MOKACOMM_ERR_OK);
    CHECK_EQ(MokacommWaitEvent(closer.port, 0, NULL), MOKACOMM_ERR_ARGUMENT);
    if (CHECK_EQ(MokacommOpen(closer.port, MOKACOMM_PORT_COM(com)), MOKACOMM_ERR_OK)) {
        MokacommSendText(peer, "x");
        if (CHECK_EQ(WaitForSingleObject(closer.done, WAIT_MS), WAIT_OBJECT_0)) {
            CHECK_EQ(closer.result, MOKACOMM_ERR_THREAD_TIMEOUT);
            CHECK_EQ(closer.portAfter, MOKACOMM_PORT_NONE);
            CHECK(MokacommGetHandle(closer.port) == NULL);
        }
        CHECK_EQ(MokacommOpen(closer.port, MOKACOMM_PORT_COM(com)), MOKACOMM_ERR_OK);
        CHECK_EQ(MokacommClose(closer.port), MOKACOMM_ERR_OK);
    }
    MokacommDestroy(closer.port);
    CloseHandle(closer.done);
}

static HANDLE volatile countedPort;
static volatile LONG waitsIssued;

/* Counts the waits for events on countedPort once they are under way. */
static BOOL WINAPI CountedWaitCommEvent(HANDLE port, LPDWORD mask, LPOVERLAPPED overlapped)
{
    const BOOL completed = WaitCommEvent(port, mask, overlapped);
    const DWORD error = GetLastError();
    if (port == countedPort)
        InterlockedIncrement(&waitsIssued);
    SetLastError(error);
    return completed;
}

/* BURST changes of the peer's RTS (the port's CTS) while the host is not waiting, then the host
 * takes them from the queue: each one, in order, none twice, and nothing more. Each change is
 * made while the port's event thread waits, since Wine reports none that comes between waits. */
static void TestQueueBurst(int com, MokacommPort* peer)
{
    MokacommPort* port = NULL;
    MOKACOMM_EVENT event;
    int made = 0;
    int taken = 0;
    int result;
    /* Before the port object is made: on x86_64 its engine keeps the function it imports then,
     * on i686 it calls through the import table each time. */
    CHECK(RigPatch("kernel32.dll", "WaitCommEvent", (RigFunction)CountedWaitCommEvent));
    if (!CHECK_EQ(MokacommCreate(&port, 1024, 1024), MOKACOMM_ERR_OK)) {
        RigUnpatch();
        return;
    }
    event.size = sizeof event;
    CHECK_EQ(MokacommWaitEvent(port, 0, &event), MOKACOMM_ERR_NOT_QUEUED);
    CHECK_EQ(MokacommSetQueue(port), MOKACOMM_ERR_OK);
    if (CHECK_EQ(MokacommOpen(port, MOKACOMM_PORT_COM(com)), MOKACOMM_ERR_OK)) {
        /* The first wait is under way when Open returns: it counts from the next. */
        countedPort = MokacommGetHandle(port);
        for (; made < BURST; ++made) {
            const LONG issued = InterlockedCompareExchange(&waitsIssued, 0, 0);
            const DWORD start = GetTickCount();
            MokacommSetLineStat(peer, made % 2 == 0 ? SETRTS : CLRRTS);
            while (InterlockedCompareExchange(&waitsIssued, 0, 0) == issued &&
                   GetTickCount() - start < WAIT_MS)
                Sleep(1);
            if (InterlockedCompareExchange(&waitsIssued, 0, 0) == issued) {
                printf("burst: no wait for events after change %d\n", made);
                break;
            }
        }
        for (; taken < made; ++taken) {
            const DWORD cts = taken % 2 == 0 ? MS_CTS_ON : 0;
            result = MokacommWaitEvent(port, 0, &event);
            if (result != MOKACOMM_ERR_OK || event.kind != MOKACOMM_EVENT_LINE ||
                (event.value & MS_CTS_ON) != cts) {
                printf("burst: event %d: result %d, kind %lu, value 0x%lX\n", taken, result,
                       event.kind, event.value);
                break;
            }
        }
        CHECK_EQ(MokacommWaitEvent(port, 200, &event), MOKACOMM_ERR_TIMEOUT);
    }
    printf("burst: %d line changes made, %d taken\n", made, taken);
    CHECK_EQ(made, BURST);
    CHECK_EQ(taken, BURST);
    countedPort = NULL;
    MokacommDestroy(port);
    RigUnpatch();
}

/* The example host `program`, found beside this one, on the same pair: each of the three ways. */
static void TestExampleHost(const char* program, int comA, int comB)
{
    char command[MAX_PATH + 32];
    char* name;
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD status = 1;
    DWORD length = GetModuleFileNameA(NULL, command + 1, MAX_PATH);
    if (!CHECK(length > 0 && length < MAX_PATH))
        return;
    command[0] = '"';
    name = strrchr(command, '\\') + 1;
    sprintf(name, "%s\" %d %d", program, comA, comB);
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CHECK(CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                              &process))) {
        printf("cannot start %s: error %lu\n", command, GetLastError());
        return;
    }
    if (CHECK_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0)) {
        GetExitCodeProcess(process.hProcess, &status);
        CHECK_EQ(status, 0);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

/* The example host built by the other toolchain, copied beside this program, so that it loads
 * this build's MokacommC.dll: one DLL serves hosts of either. 77 when there is none. */
static int TestOtherToolchainsHost(const char* path)
{
    static const char copy[] = "c_host_other_toolchain.exe";
    char target[MAX_PATH];
    char* name;
    int comA = 0;
    int comB = 0;
    const DWORD length = GetModuleFileNameA(NULL, target, MAX_PATH - sizeof copy);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        printf("%s is not built\n", path);
        return 77;
    }
    if (CHECK(length > 0 && length < MAX_PATH - sizeof copy)) {
        name = strrchr(target, '\\') + 1;
        strcpy(name, copy);
        if (CHECK(CopyFileA(path, target, FALSE)) && CHECK(RigUp(&comA, &comB))) {
            TestExampleHost(copy, comA, comB);
            RigDown();
        }
        DeleteFileA(target);
    }
    printf("%s against this build's MokacommC.dll: %d checks, %d failed\n", path, checks,
           failures);
    return failures == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    int comA = 0;
    int comB = 0;
    if (argc == 2)
        return TestOtherToolchainsHost(argv[1]);
    TestVersionAndNames();
    TestConstructionFailures();
    if (CHECK(RigUp(&comA, &comB))) {
        MokacommPort* peer = NULL;
        TestSettings(comA);
        /* The peer is made before any patch: its own event thread is not counted. */
        if (CHECK_EQ(MokacommCreate(&peer, 1024, 1024), MOKACOMM_ERR_OK) &&
            CHECK_EQ(MokacommOpen(peer, MOKACOMM_PORT_COM(comB)), MOKACOMM_ERR_OK)) {
            TestCloseFromCallback(comA, peer);
            TestQueueBurst(comA, peer);
        }
        MokacommDestroy(peer);
#ifdef MOKACOMM_WITHOUT_EXAMPLES
        printf("the example hosts are not built: c_host not run\n");
#else
        TestExampleHost("c_host.exe", comA, comB);
#endif
        RigDown();
    }
    printf("C host test: %d checks, %d failed\n", checks, failures);
    return failures == 0 ? 0 : 1;
}
