/* MokacommC: serial (COM) ports for programs in C, and in any language that calls a C DLL
 * (C#, Visual Basic 6 and VBA, Delphi, Python's ctypes).
 *
 * MokacommC.dll is the engine of Mokacomm.dll behind plain C functions instead of the C++ class
 * CCommLib: one binary per architecture serves every compiler and language. Every function and
 * callback uses the WINAPI (__stdcall) calling convention, and the DLL exports each function under
 * its plain name (MokacommOpen, never _MokacommOpen@8), on 32-bit as on 64-bit.
 *
 * A port object: MokacommCreate makes one, MokacommDestroy frees it, every other call names it.
 * The functions that act return a result code, MOKACOMM_ERR_OK (0) on success: the codes of
 * CCommLib under the same numbers (0 to 18), then this interface's own (19 to 24). Nothing else
 * leaves the DLL: no C++ exception, no memory for the host to free. Texts go in and out in the
 * caller's buffers.
 *
 * Threads: every function may be called from any thread; one port's calls are serialised by its
 * lock, as CCommLib's are (a waiting MokacommReceive or MokacommSend holds back the port's other
 * calls). Destroy a port only when no other thread is in a call on it.
 *
 * Events reach the host in the one way it chooses, while no port is open (MOKACOMM_ERR_ALREADY
 * while one is); the last choice holds, and a new port object reports none:
 *   - callbacks (MokacommSetCallbacks), called on the port's event thread;
 *   - window messages (MokacommSetWindow), posted to a window of the host, which gets them on the
 *     window's own thread: Visual Basic, VBA and Delphi forms;
 *   - a queue (MokacommSetQueue) that the host empties with MokacommWaitEvent: scripts, Python.
 * Each event is one of the four that CCommLib's hooks report, in the same order within a wake-up
 * of the event thread: ERROR, LINE, RX, TX_END.
 *
 * Compiles as C89 and as C++. */
#ifndef MOKACOMMC_H
#define MOKACOMMC_H

#include <windows.h>

#if defined(MOKACOMM_C_BUILDING)
#define MOKACOMM_C_API
#else
#define MOKACOMM_C_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The port object, opaque. */
typedef struct MokacommPort MokacommPort;

/* Port numbers: COMk is k - 1 (MOKACOMM_PORT_COM(3) is COM3), for COM1 to COM32. */
#define MOKACOMM_PORT_COM(k) ((k) - 1)
#define MOKACOMM_PORT_NONE 32
/* Room for any port name with its NUL, in characters of either form ("COM32"). */
#define MOKACOMM_PORT_NAME_SIZE 6

/* Result codes. 0 to 18 are CCommLib's, with the same meaning. */
#define MOKACOMM_ERR_OK 0
#define MOKACOMM_ERR_ALREADY 1          /* Open, Set...: a port is open; Close: none is */
#define MOKACOMM_ERR_EXISTS 2           /* Open: CreateFileA failed with ERROR_ALREADY_EXISTS */
#define MOKACOMM_ERR_BAD_PORT 3         /* Open: the number is not COM1..COM32 */
#define MOKACOMM_ERR_OPEN_FAILED 4      /* Open: CreateFileA failed (see MokacommGetLastError) */
#define MOKACOMM_ERR_SET_MASK 5         /* Open: SetCommMask failed */
#define MOKACOMM_ERR_SETUP 6            /* Open: SetupComm failed */
#define MOKACOMM_ERR_PURGE 7            /* Open: PurgeComm failed */
#define MOKACOMM_ERR_TIMEOUTS 8         /* Open: SetCommTimeouts failed */
#define MOKACOMM_ERR_GET_STATE 9        /* Open: GetCommState failed */
#define MOKACOMM_ERR_SET_STATE 10       /* Open: SetCommState refused the settings */
#define MOKACOMM_ERR_SYSTEM 11          /* Close: CloseHandle failed; SetLineStat:
                                           EscapeCommFunction failed */
#define MOKACOMM_ERR_THREAD 12          /* Open: the event thread could not be started */
#define MOKACOMM_ERR_THREAD_ABANDONED 13 /* Close: the wait for the event thread was abandoned */
#define MOKACOMM_ERR_THREAD_TIMEOUT 14  /* Close: the event thread did not end in time, or Close
                                           was called from a callback; the port is closed anyway */
#define MOKACOMM_ERR_THREAD_WAIT 15     /* Close: the wait for the event thread failed */
#define MOKACOMM_ERR_NOT_OPEN 16        /* Send, SetLineStat: no port is open; Set(DCB|Settings):
                                           stored for the next Open */
#define MOKACOMM_ERR_SHORT_WRITE 17     /* Send: fewer bytes were written than asked */
#define MOKACOMM_ERR_IO 18              /* Send: the write failed; Set(DCB|Settings): the port
                                           refused them (they stay stored) */
#define MOKACOMM_ERR_RECEIVE 19         /* Receive: the read failed (received: 0, or what came) */
#define MOKACOMM_ERR_ARGUMENT 20        /* a null port or pointer, a record whose size field is too
                                           small, a name buffer too small */
#define MOKACOMM_ERR_NO_MEMORY 21       /* Create: no memory for the port object */
#define MOKACOMM_ERR_NO_RESOURCES 22    /* Create: Windows refused the port object's events */
#define MOKACOMM_ERR_TIMEOUT 23         /* WaitEvent: no event came within the time-out */
#define MOKACOMM_ERR_NOT_QUEUED 24      /* WaitEvent: the port's events do not go to its queue */

/* Line settings for languages without bit-fields: the DCB's main fields as plain numbers. */
#define MOKACOMM_FLOW_RTS_CTS 0x1  /* fOutxCtsFlow with fRtsControl = RTS_CONTROL_HANDSHAKE */
#define MOKACOMM_FLOW_DTR_DSR 0x2  /* fOutxDsrFlow with fDtrControl = DTR_CONTROL_HANDSHAKE */
#define MOKACOMM_FLOW_XON_XOFF 0x4 /* fOutX and fInX */

typedef struct MOKACOMM_SETTINGS {
    DWORD size;        /* sizeof(MOKACOMM_SETTINGS), set by the caller */
    DWORD baudRate;    /* bits per second: 9600, 19200, 115200, ... */
    DWORD dataBits;    /* 5 to 8 */
    DWORD parity;      /* NOPARITY 0, ODDPARITY 1, EVENPARITY 2, MARKPARITY 3, SPACEPARITY 4 */
    DWORD stopBits;    /* ONESTOPBIT 0, ONE5STOPBITS 1, TWOSTOPBITS 2 */
    DWORD flowControl; /* MOKACOMM_FLOW_ bits, 0 for none */
} MOKACOMM_SETTINGS;

/* Events. The value of each kind:
 *   RX        the bytes waiting in the input queue: read them with MokacommReceive
 *   LINE      the modem status word (MS_CTS_ON 0x10, MS_DSR_ON 0x20, MS_RING_ON 0x40,
 *             MS_RLSD_ON 0x80) after CTS, DSR, RLSD or RING changed, or a break came
 *   TX_END    0: everything sent has left the output queue
 *   ERROR     the CE_ bits of a line error; the event's status is the port's COMSTAT then
 *   OVERFLOW  (queue only) how many events were dropped because the queue was full */
#define MOKACOMM_EVENT_RX 1
#define MOKACOMM_EVENT_LINE 2
#define MOKACOMM_EVENT_TX_END 3
#define MOKACOMM_EVENT_ERROR 4
#define MOKACOMM_EVENT_OVERFLOW 5

typedef struct MOKACOMM_EVENT {
    DWORD size;     /* sizeof(MOKACOMM_EVENT), set by the caller */
    DWORD kind;     /* MOKACOMM_EVENT_ */
    DWORD value;
    COMSTAT status; /* ERROR: the port's status; zero for the other kinds */
} MOKACOMM_EVENT;

/* The queue holds this many events. When it is full, newer events are dropped and counted; once
 * the host has taken one, the next event it gets where the drop happened is one OVERFLOW event
 * whose value is the count, then those that came after. No event is lost or reported twice
 * otherwise, whether or not the host is waiting when it comes. */
#define MOKACOMM_QUEUE_SIZE 1024

/* Callbacks run on the port's event thread, never on the host's, where CCommLib's hooks run and
 * under the same rules: they may call any function for their port, TxEnd while the event
 * thread holds the port's lock (other threads' calls wait until it returns). Close, reopen or
 * destroy the port from a callback only knowingly: MokacommClose returns
 * MOKACOMM_ERR_THREAD_TIMEOUT at once with the port closed, and no callback of that port comes
 * afterwards. The COMSTAT that an ErrorCallback gets is valid during the call only. A callback
 * must return normally: no exception or longjmp through the DLL. */
typedef void(WINAPI* MokacommRxCallback)(void* context, DWORD bytesInQueue);
typedef void(WINAPI* MokacommLineCallback)(void* context, DWORD modemStatus);
typedef void(WINAPI* MokacommTxEndCallback)(void* context);
typedef void(WINAPI* MokacommErrorCallback)(void* context, const COMSTAT* status, DWORD errors);

/* The DLL's version, MOKACOMM_MAKE_VERSION(major, minor, patch). */
#define MOKACOMM_MAKE_VERSION(major, minor, patch) (((major) << 16) | ((minor) << 8) | (patch))
MOKACOMM_C_API DWORD WINAPI MokacommVersion(void);

/* A port object with its output and input queue sizes (CCommLib's defaults are 1024 each). It
 * opens nothing. On failure *port is NULL and the result says why: MOKACOMM_ERR_NO_MEMORY or
 * MOKACOMM_ERR_NO_RESOURCES. */
MOKACOMM_C_API int WINAPI MokacommCreate(MokacommPort** port, DWORD outQueueSize,
                                         DWORD inQueueSize);
/* Closes an open port and frees the object. NULL does nothing. */
MOKACOMM_C_API void WINAPI MokacommDestroy(MokacommPort* port);

/* Opens the port, applies the stored settings and starts the event thread (at least 100 ms). */
MOKACOMM_C_API int WINAPI MokacommOpen(MokacommPort* port, int number);
MOKACOMM_C_API int WINAPI MokacommClose(MokacommPort* port);

/* A text without its NUL, and a buffer, waiting until written. */
MOKACOMM_C_API int WINAPI MokacommSendText(MokacommPort* port, const char* text);
MOKACOMM_C_API int WINAPI MokacommSend(MokacommPort* port, const void* data, DWORD length,
                                       DWORD* written);
/* Waits for `length` bytes or the port's 1 s read time-out: MOKACOMM_ERR_OK with what came,
 * perhaps nothing. Ask for the count that an RX event reported. */
MOKACOMM_C_API int WINAPI MokacommReceive(MokacommPort* port, void* buffer, DWORD length,
                                          DWORD* received);

/* The stored settings, as the platform's DCB or as plain numbers. Setting stores them and applies
 * them to an open port; MOKACOMM_ERR_NOT_OPEN means stored for the next Open. MOKACOMM_SETTINGS
 * change the DCB's fields that they name, and no other: a flow control kind asked is turned on,
 * one that was on and is not asked is turned off (its line then held off, as by default), and
 * flow control fields that make no whole kind are left as they are. */
MOKACOMM_C_API int WINAPI MokacommSetDCB(MokacommPort* port, const DCB* settings);
MOKACOMM_C_API int WINAPI MokacommGetDCB(MokacommPort* port, DCB* settings);
MOKACOMM_C_API int WINAPI MokacommSetSettings(MokacommPort* port,
                                              const MOKACOMM_SETTINGS* settings);
MOKACOMM_C_API int WINAPI MokacommGetSettings(MokacommPort* port, MOKACOMM_SETTINGS* settings);

/* The open port's number (MOKACOMM_PORT_NONE when closed) and Win32 handle (NULL when closed). */
MOKACOMM_C_API int WINAPI MokacommGetPort(MokacommPort* port);
MOKACOMM_C_API HANDLE WINAPI MokacommGetHandle(MokacommPort* port);
/* The last Win32 error code the port object recorded (0 before any). */
MOKACOMM_C_API DWORD WINAPI MokacommGetLastError(MokacommPort* port);
/* The modem status word (MS_CTS_ON, ...), 0 when it cannot be read. */
MOKACOMM_C_API DWORD WINAPI MokacommGetLineStat(MokacommPort* port);
/* EscapeCommFunction: SETDTR, CLRDTR, SETRTS, CLRRTS, SETBREAK, CLRBREAK, ... */
MOKACOMM_C_API int WINAPI MokacommSetLineStat(MokacommPort* port, DWORD function);

/* The two dialogs, modal, on the calling thread: the port selection (which closes the port and
 * opens the one picked) and the line settings. They report their failures to the user. */
MOKACOMM_C_API int WINAPI MokacommSelectPort(MokacommPort* port);
MOKACOMM_C_API int WINAPI MokacommSettingDlg(MokacommPort* port);

/* "COM1".."COM32" for a port number, for any other "disconnected" in Japanese: in code page 932
 * bytes (A, the texts of CCommLib::GetPortStr) or UTF-16 (W), readable on every Windows. `size`
 * is the buffer's in characters; MOKACOMM_PORT_NAME_SIZE is always enough. */
MOKACOMM_C_API int WINAPI MokacommGetPortNameA(int number, char* name, DWORD size);
MOKACOMM_C_API int WINAPI MokacommGetPortNameW(int number, WCHAR* name, DWORD size);

/* Events to callbacks: any of them may be NULL, and all NULL means no events. Each gets
 * `context` as it was given. */
MOKACOMM_C_API int WINAPI MokacommSetCallbacks(MokacommPort* port, MokacommRxCallback rx,
                                               MokacommLineCallback line,
                                               MokacommTxEndCallback txEnd,
                                               MokacommErrorCallback error, void* context);
/* Events posted to `window` as `message` (WM_APP + n, say): wParam the MOKACOMM_EVENT_ kind,
 * lParam the event's value (an ERROR's COMSTAT is not carried). An event that cannot be posted
 * (the window is gone, its thread's message queue is full) is dropped. */
MOKACOMM_C_API int WINAPI MokacommSetWindow(MokacommPort* port, HWND window, UINT message);
/* Events into the port's queue, empty from here on (MOKACOMM_QUEUE_SIZE). */
MOKACOMM_C_API int WINAPI MokacommSetQueue(MokacommPort* port);
/* Takes the oldest event of the queue, waiting up to `timeout` ms (INFINITE, or 0 to look only)
 * for one: MOKACOMM_ERR_OK with the event, or MOKACOMM_ERR_TIMEOUT. */
MOKACOMM_C_API int WINAPI MokacommWaitEvent(MokacommPort* port, DWORD timeout,
                                            MOKACOMM_EVENT* event);

#ifdef __cplusplus
}
#endif

#endif
