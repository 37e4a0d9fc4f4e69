"""MokacommC.dll from Python, through ctypes: the declarations of its functions, and a Port
class that waits for a port's events, which suits scripts.

How to use it:
- Python for Windows of the DLL's architecture (a 64-bit Python loads the x64 DLL), with
  MokacommC.dll beside this module, in the current folder or on the PATH.
- Events: Port waits for them (the DLL's queue). Callbacks run on the port's event thread: keep
  the WINFUNCTYPE objects alive while the port may call them, and let them only hand the event
  over (a queue.Queue), since they hold up the port while they run.

    from mokacomm_c import Port, EVENT_RX
    with Port(5) as port:                      # COM5
        port.send(b"ATI\\r")
        for kind, value in port.events(seconds=2):
            if kind == EVENT_RX:
                print(port.receive(value))

Run as a script, it shows what COMk receives: python mokacomm_c.py 5
The names and numbers are those of MokacommC.h, which says what each function does.
"""
import ctypes
import sys
import time
from ctypes import POINTER, WINFUNCTYPE, Structure, byref, c_char_p, c_int, c_void_p, c_wchar_p
from ctypes.wintypes import DWORD, HANDLE, HWND, UINT

ERR_OK = 0
ERR_TIMEOUT = 23
PORT_NONE = 32
PORT_NAME_SIZE = 6
EVENT_RX, EVENT_LINE, EVENT_TX_END, EVENT_ERROR, EVENT_OVERFLOW = 1, 2, 3, 4, 5
FLOW_RTS_CTS, FLOW_DTR_DSR, FLOW_XON_XOFF = 1, 2, 4


class DCB(Structure):
    _fields_ = [("DCBlength", DWORD), ("BaudRate", DWORD), ("Flags", DWORD),
                ("wReserved", ctypes.c_ushort), ("XonLim", ctypes.c_ushort),
                ("XoffLim", ctypes.c_ushort), ("ByteSize", ctypes.c_ubyte),
                ("Parity", ctypes.c_ubyte), ("StopBits", ctypes.c_ubyte),
                ("XonChar", ctypes.c_char), ("XoffChar", ctypes.c_char),
                ("ErrorChar", ctypes.c_char), ("EofChar", ctypes.c_char),
                ("EvtChar", ctypes.c_char), ("wReserved1", ctypes.c_ushort)]


class COMSTAT(Structure):
    _fields_ = [("Flags", DWORD), ("cbInQue", DWORD), ("cbOutQue", DWORD)]


class MOKACOMM_SETTINGS(Structure):
    _fields_ = [("size", DWORD), ("baudRate", DWORD), ("dataBits", DWORD), ("parity", DWORD),
                ("stopBits", DWORD), ("flowControl", DWORD)]


class MOKACOMM_EVENT(Structure):
    _fields_ = [("size", DWORD), ("kind", DWORD), ("value", DWORD), ("status", COMSTAT)]


MokacommRxCallback = WINFUNCTYPE(None, c_void_p, DWORD)
MokacommLineCallback = WINFUNCTYPE(None, c_void_p, DWORD)
MokacommTxEndCallback = WINFUNCTYPE(None, c_void_p)
MokacommErrorCallback = WINFUNCTYPE(None, c_void_p, POINTER(COMSTAT), DWORD)

# Each function: its result type, then its arguments' types.
FUNCTIONS = {
    "MokacommVersion": (DWORD,),
    "MokacommCreate": (c_int, POINTER(c_void_p), DWORD, DWORD),
    "MokacommDestroy": (None, c_void_p),
    "MokacommOpen": (c_int, c_void_p, c_int),
    "MokacommClose": (c_int, c_void_p),
    "MokacommSendText": (c_int, c_void_p, c_char_p),
    "MokacommSend": (c_int, c_void_p, c_char_p, DWORD, POINTER(DWORD)),
    "MokacommReceive": (c_int, c_void_p, c_char_p, DWORD, POINTER(DWORD)),
    "MokacommSetDCB": (c_int, c_void_p, POINTER(DCB)),
    "MokacommGetDCB": (c_int, c_void_p, POINTER(DCB)),
    "MokacommSetSettings": (c_int, c_void_p, POINTER(MOKACOMM_SETTINGS)),
    "MokacommGetSettings": (c_int, c_void_p, POINTER(MOKACOMM_SETTINGS)),
    "MokacommGetPort": (c_int, c_void_p),
    "MokacommGetHandle": (HANDLE, c_void_p),
    "MokacommGetLastError": (DWORD, c_void_p),
    "MokacommGetLineStat": (DWORD, c_void_p),
    "MokacommSetLineStat": (c_int, c_void_p, DWORD),
    "MokacommSelectPort": (c_int, c_void_p),
    "MokacommSettingDlg": (c_int, c_void_p),
    "MokacommGetPortNameA": (c_int, c_int, c_char_p, DWORD),
    "MokacommGetPortNameW": (c_int, c_int, c_wchar_p, DWORD),
    "MokacommSetCallbacks": (c_int, c_void_p, MokacommRxCallback, MokacommLineCallback,
                             MokacommTxEndCallback, MokacommErrorCallback, c_void_p),
    "MokacommSetWindow": (c_int, c_void_p, HWND, UINT),
    "MokacommSetQueue": (c_int, c_void_p),
    "MokacommWaitEvent": (c_int, c_void_p, DWORD, POINTER(MOKACOMM_EVENT)),
}


def load(path="MokacommC.dll"):
    """The DLL with every function declared. WinDLL: its functions are WINAPI (stdcall)."""
    dll = ctypes.WinDLL(path)
    for name, (result, *arguments) in FUNCTIONS.items():
        function = getattr(dll, name)
        function.restype = result
        function.argtypes = arguments
    return dll


class MokacommError(Exception):
    def __init__(self, what, result):
        super().__init__(f"{what} failed with MokacommC result {result}")
        self.result = result


def _check(result, what):
    if result != ERR_OK:
        raise MokacommError(what, result)


class Port:
    """COMk, opened, its events in the DLL's queue."""

    def __init__(self, com, dll=None):
        self.dll = dll or load()
        self.handle = c_void_p()
        _check(self.dll.MokacommCreate(byref(self.handle), 1024, 1024), "MokacommCreate")
        try:
            _check(self.dll.MokacommSetQueue(self.handle), "MokacommSetQueue")
            _check(self.dll.MokacommOpen(self.handle, com - 1), "MokacommOpen")
        except MokacommError:
            self.close()
            raise

    def send(self, data):
        written = DWORD()
        _check(self.dll.MokacommSend(self.handle, data, len(data), byref(written)), "MokacommSend")

    def receive(self, count):
        """Up to `count` bytes, waiting up to the port's 1 s read time-out."""
        buffer = ctypes.create_string_buffer(max(count, 1))
        received = DWORD()
        _check(self.dll.MokacommReceive(self.handle, buffer, count, byref(received)),
               "MokacommReceive")
        return buffer.raw[:received.value]

    def wait_event(self, timeout_ms):
        """(kind, value) of the next event, or None when none came in time."""
        event = MOKACOMM_EVENT(size=ctypes.sizeof(MOKACOMM_EVENT))
        result = self.dll.MokacommWaitEvent(self.handle, timeout_ms, byref(event))
        if result == ERR_TIMEOUT:
            return None
        _check(result, "MokacommWaitEvent")
        return event.kind, event.value

    def events(self, seconds):
        end = time.monotonic() + seconds
        while (left := end - time.monotonic()) > 0:
            event = self.wait_event(int(left * 1000))
            if event:
                yield event

    def close(self):
        """Closes the port and frees it; nothing is reported afterwards."""
        if self.handle:
            self.dll.MokacommDestroy(self.handle)
            self.handle = None

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()


def port_name(dll, number):
    """"COM5", or the Japanese for "disconnected"."""
    name = ctypes.create_unicode_buffer(PORT_NAME_SIZE)
    _check(dll.MokacommGetPortNameW(number, name, PORT_NAME_SIZE), "MokacommGetPortNameW")
    return name.value


if __name__ == "__main__":
    com = int(sys.argv[1]) if len(sys.argv) > 1 else 1
    with Port(com) as port:
        print(f"{port_name(port.dll, com - 1)}: events for 10 s")
        for kind, value in port.events(seconds=10):
            if kind == EVENT_RX:
                print(port.receive(value))
            elif kind == EVENT_LINE:
                print(f"lines 0x{value:02X}")
