"""The far end of a null-modem pair for interop_tests: pyserial (Debian's python3-serial) on the
Linux pty of COM B, run by the Windows test through CreateProcessA, answering the commands that
the test sends over the line.

usage: python3 pyserial_peer.py <pty> <result file>

One command a line; each answer is a line too, except the bytes that SEND writes.
  SEND n seed    writes n bytes of the pattern
  CHECK n seed   reads n bytes and compares them with the pattern: "ok CHECK" or "error CHECK ..."
  DTR 0|1        sets DTR (the library sees DSR and RLSD): "ok DTR 1"
  RTS 0|1        sets RTS (the library sees CTS): "ok RTS 1"
  BREAK          holds a break for 250 ms: "ok BREAK"
  LINES          "ok LINES dsr=1 cd=1 cts=0", the lines that the library drives
  QUIT           "ok QUIT", then closes the port

The result file gets "ok pyserial" once QUIT is done, or "error: WHY". Every wait is
bounded, so the script also ends by itself when the test goes away.
"""
import os
import sys
import time

COMMAND_WAIT = 30.0  # seconds without a command before the script gives up
DATA_WAIT = 20.0  # seconds for the bytes of CHECK
# Wine drops a line change made while the library's event thread has no wait pending, as happens
# for a moment after each event (the EV_TXEMPTY of the command that the test just sent).
LINE_SETTLE = 0.1
BREAK_TIME = 0.25


def pattern(seed, n):
    """The same bytes as Pattern() in PyserialTest.cpp."""
    return bytes((seed + i * 31 + (i >> 8)) & 0xFF for i in range(n))


def read_exactly(port, n, seconds):
    data = bytearray()
    deadline = time.monotonic() + seconds
    while len(data) < n and time.monotonic() < deadline:
        data += port.read(n - len(data))
    return bytes(data)


def read_line(port, seconds):
    line = bytearray()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        byte = port.read(1)
        if byte == b"\n":
            return line.decode("ascii", "replace")
        line += byte
    raise TimeoutError(f"no command within {seconds:.0f} s (partial: {bytes(line)!r})")


def answer(port, text):
    port.write(text.encode("ascii") + b"\n")
    port.flush()


def check(port, n, seed):
    got = read_exactly(port, n, DATA_WAIT)
    want = pattern(seed, n)
    if got == want:
        return "ok CHECK"
    if len(got) < n:
        return f"error CHECK: {len(got)} of {n} bytes came"
    first = next(i for i in range(n) if got[i] != want[i])
    return f"error CHECK: byte {first} is {got[first]:#04x}, not {want[first]:#04x}"


def serve(port, version):
    answer(port, f"ready pyserial {version}")
    while True:
        words = read_line(port, COMMAND_WAIT).split()
        if not words:
            continue
        command, args = words[0], [int(w) for w in words[1:]]
        if command == "SEND":
            port.write(pattern(args[1], args[0]))
            port.flush()
        elif command == "CHECK":
            answer(port, check(port, args[0], args[1]))
        elif command in ("DTR", "RTS"):
            time.sleep(LINE_SETTLE)
            setattr(port, command.lower(), bool(args[0]))
            answer(port, f"ok {command} {args[0]}")
        elif command == "BREAK":
            time.sleep(LINE_SETTLE)
            # Not send_break: it goes through the C library's tcsendbreak, whose ioctl is a call
            # inside libc that the preloaded rig library never sees.
            port.break_condition = True
            time.sleep(BREAK_TIME)
            port.break_condition = False
            answer(port, "ok BREAK")
        elif command == "LINES":
            answer(port, f"ok LINES dsr={int(port.dsr)} cd={int(port.cd)} cts={int(port.cts)}")
        elif command == "QUIT":
            answer(port, "ok QUIT")
            return
        else:
            answer(port, f"error unknown command {command}")


def write_result(path, text):
    temporary = path + ".part"
    with open(temporary, "w", encoding="ascii") as result:
        result.write(text + "\n")
    os.replace(temporary, path)


def main():
    pty, result_path = sys.argv[1:3]
    try:
        # Imported here so that a missing pyserial is reported in the result file too.
        import serial

        # Opening raises DTR and RTS, as on any Linux serial port.
        with serial.Serial(pty, 19200, timeout=1.0, write_timeout=DATA_WAIT) as port:
            serve(port, serial.__version__)
    except Exception as e:  # every failure goes to the result file, which the test reads
        write_result(result_path, f"error: {type(e).__name__}: {e}")
        return 1
    write_result(result_path, "ok pyserial")
    return 0


if __name__ == "__main__":
    sys.exit(main())
