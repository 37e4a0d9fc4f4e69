/* A C host of MokacommC.dll: a loopback check of two ports joined by a null-modem cable, made
 * once in each of the three ways the DLL reports a port's events.
 *
 *     c_host 5 6        COM5, with COM6 at the cable's other end
 *
 * The peer (COM6) raises its DTR, which is the port's DSR, sends a break and a line, and the port
 * (COM5) answers with a line of its own. What reaches the port comes to it as callbacks on the
 * port's event thread, as messages to a window on this thread, and from a queue that this thread
 * waits on. The program exits 0 when everything arrived in all three ways. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "MokacommC.h"

#define EVENT_MESSAGE (WM_APP + 1)
#define WAIT_MS 5000

typedef enum Way { BY_CALLBACKS, BY_WINDOW, BY_QUEUE } Way;

/* What has reached the port. The callbacks write it on the event thread, under `lock`. */
typedef struct Arrivals {
    MokacommPort* port;
    CRITICAL_SECTION lock;
    HANDLE changed;
    char text[16];
    DWORD length;
    DWORD lineEvents;
    DWORD modemStatus;
} Arrivals;

typedef int (*Condition)(const Arrivals* arrivals, DWORD since);

static void Arrived(Arrivals* arrivals, DWORD kind, DWORD value)
{
    DWORD got = 0;
    if (kind == MOKACOMM_EVENT_RX) {
        /* Read what the event announced, as far as there is room. */
        DWORD room = sizeof arrivals->text - 1 - arrivals->length;
        if (MokacommReceive(arrivals->port, arrivals->text + arrivals->length,
                            value < room ? value : room, &got) == MOKACOMM_ERR_OK)
            arrivals->length += got;
    } else if (kind == MOKACOMM_EVENT_LINE) {
        ++arrivals->lineEvents;
        arrivals->modemStatus = value;
    }
}

/* ---- Callbacks, on the port's event thread. */

static void Called(void* context, DWORD kind, DWORD value)
{
    Arrivals* arrivals = (Arrivals*)context;
    EnterCriticalSection(&arrivals->lock);
    Arrived(arrivals, kind, value);
    LeaveCriticalSection(&arrivals->lock);
    SetEvent(arrivals->changed);
}

static void WINAPI OnRx(void* context, DWORD bytesInQueue)
{
    Called(context, MOKACOMM_EVENT_RX, bytesInQueue);
}

static void WINAPI OnLine(void* context, DWORD modemStatus)
{
    Called(context, MOKACOMM_EVENT_LINE, modemStatus);
}

/* ---- Window messages, on this thread. */

static LRESULT CALLBACK EventWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        CREATESTRUCTW* create = (CREATESTRUCTW*)lParam;
        SetWindowLongPtrW(window, GWLP_USERDATA, (LONG_PTR)create->lpCreateParams);
    } else if (message == EVENT_MESSAGE) {
        Arrived((Arrivals*)GetWindowLongPtrW(window, GWLP_USERDATA), (DWORD)wParam, (DWORD)lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

/* A message-only window: it is never shown. */
static HWND MakeEventWindow(Arrivals* arrivals)
{
    WNDCLASSW windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = EventWindow;
    windowClass.hInstance = GetModuleHandleW(NULL);
    windowClass.lpszClassName = L"MokacommCHostEvents";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                           windowClass.hInstance, arrivals);
}

/* ---- Waiting for what each way brings, up to WAIT_MS. */

static int WaitFor(Way way, Arrivals* arrivals, Condition done, DWORD since)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD elapsed = GetTickCount() - start;
        DWORD left = elapsed < WAIT_MS ? WAIT_MS - elapsed : 0;
        int met;
        if (way == BY_CALLBACKS) {
            EnterCriticalSection(&arrivals->lock);
            met = done(arrivals, since);
            LeaveCriticalSection(&arrivals->lock);
            if (met || left == 0)
                return met;
            WaitForSingleObject(arrivals->changed, left);
        } else if (way == BY_WINDOW) {
            MSG message;
            if (done(arrivals, since) || left == 0)
                return done(arrivals, since);
            MsgWaitForMultipleObjects(0, NULL, FALSE, left, QS_ALLINPUT);
            while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        } else {
            MOKACOMM_EVENT event;
            if (done(arrivals, since) || left == 0)
                return done(arrivals, since);
            event.size = sizeof event;
            if (MokacommWaitEvent(arrivals->port, left, &event) == MOKACOMM_ERR_OK)
                Arrived(arrivals, event.kind, event.value);
        }
    }
}

static int DsrOn(const Arrivals* arrivals, DWORD since)
{
    (void)since;
    return (arrivals->modemStatus & MS_DSR_ON) != 0;
}

static int AnotherLineEvent(const Arrivals* arrivals, DWORD since)
{
    return arrivals->lineEvents > since;
}

static int PingReceived(const Arrivals* arrivals, DWORD since)
{
    (void)since;
    return arrivals->length >= 6 && memcmp(arrivals->text, "ping\r\n", 6) == 0;
}

static const char* const wayNames[] = {"callbacks", "window messages", "waiting"};

static int Failed(Way way, const char* what, int code)
{
    printf("%s: %s (result %d)\n", wayNames[way], what, code);
    return 0;
}

static DWORD LineEvents(Arrivals* arrivals)
{
    DWORD count;
    EnterCriticalSection(&arrivals->lock);
    count = arrivals->lineEvents;
    LeaveCriticalSection(&arrivals->lock);
    return count;
}

/* The steps, once the port and the peer are open. */
static int Exchange(Way way, Arrivals* arrivals, MokacommPort* peer)
{
    char answer[8];
    DWORD got = 0;
    DWORD lineEvents;
    MokacommSetLineStat(peer, SETDTR);
    if (!WaitFor(way, arrivals, DsrOn, 0))
        return Failed(way, "the peer's DTR did not reach the port as DSR", 0);
    printf("%s: DSR on\n", wayNames[way]);

    /* Windows reports a line change or a break to the event thread's next wait, Wine only to a
     * wait that is pending already: give the event thread time to get back to its wait. */
    Sleep(100);
    lineEvents = LineEvents(arrivals);
    MokacommSetLineStat(peer, SETBREAK);
    if (!WaitFor(way, arrivals, AnotherLineEvent, lineEvents))
        return Failed(way, "the peer's break did not reach the port", 0);
    MokacommSetLineStat(peer, CLRBREAK);
    printf("%s: break\n", wayNames[way]);

    MokacommSendText(peer, "ping\r\n");
    if (!WaitFor(way, arrivals, PingReceived, 0))
        return Failed(way, "the peer's line did not reach the port", 0);
    printf("%s: the port received \"ping\"\n", wayNames[way]);

    MokacommSendText(arrivals->port, "pong\r\n");
    if (MokacommReceive(peer, answer, 6, &got) != MOKACOMM_ERR_OK || got != 6 ||
        memcmp(answer, "pong\r\n", 6) != 0)
        return Failed(way, "the port's answer did not reach the peer", (int)got);
    printf("%s: the peer received \"pong\"\n", wayNames[way]);
    return 1;
}

static int Check(Way way, int portNumber, int peerNumber)
{
    MokacommPort* peer = NULL;
    Arrivals arrivals;
    HWND window = NULL;
    int result;
    int passed = 0;

    memset(&arrivals, 0, sizeof arrivals);
    InitializeCriticalSection(&arrivals.lock);
    arrivals.changed = CreateEventW(NULL, FALSE, FALSE, NULL);
    result = MokacommCreate(&arrivals.port, 1024, 1024);
    if (result == MOKACOMM_ERR_OK)
        result = MokacommCreate(&peer, 1024, 1024);
    /* The way is chosen before the port opens. */
    if (result == MOKACOMM_ERR_OK) {
        if (way == BY_CALLBACKS) {
            result = MokacommSetCallbacks(arrivals.port, OnRx, OnLine, NULL, NULL, &arrivals);
        } else if (way == BY_WINDOW) {
            window = MakeEventWindow(&arrivals);
            result = MokacommSetWindow(arrivals.port, window, EVENT_MESSAGE);
        } else {
            result = MokacommSetQueue(arrivals.port);
        }
    }
    /* The peer first: opening a port moves its lines, which the port would report. */
    if (result == MOKACOMM_ERR_OK && (result = MokacommOpen(peer, peerNumber)) != MOKACOMM_ERR_OK)
        Failed(way, "the peer did not open", result);
    else if (result == MOKACOMM_ERR_OK &&
             (result = MokacommOpen(arrivals.port, portNumber)) != MOKACOMM_ERR_OK)
        Failed(way, "the port did not open", result);
    else if (result == MOKACOMM_ERR_OK)
        passed = Exchange(way, &arrivals, peer);
    else
        Failed(way, "no port object", result);

    /* Destroying closes; once the port is closed no callback comes, and the window may go. */
    MokacommDestroy(arrivals.port);
    MokacommDestroy(peer);
    if (window)
        DestroyWindow(window);
    CloseHandle(arrivals.changed);
    DeleteCriticalSection(&arrivals.lock);
    return passed;
}

int main(int argc, char** argv)
{
    int port;
    int peer;
    int passed = 1;
    DWORD version = MokacommVersion();
    if (argc != 3) {
        puts("usage: c_host PORT PEER   (two ports' numbers, joined by a null-modem cable)");
        return 2;
    }
    port = MOKACOMM_PORT_COM(atoi(argv[1]));
    peer = MOKACOMM_PORT_COM(atoi(argv[2]));
    printf("MokacommC.dll %lu.%lu.%lu\n", version >> 16, (version >> 8) & 0xFF, version & 0xFF);
    passed &= Check(BY_CALLBACKS, port, peer);
    passed &= Check(BY_WINDOW, port, peer);
    passed &= Check(BY_QUEUE, port, peer);
    puts(passed ? "everything arrived" : "something did not arrive");
    return passed ? 0 : 1;
}
