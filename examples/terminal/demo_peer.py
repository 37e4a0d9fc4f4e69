#!/usr/bin/env python3
"""The far end of the demo's null-modem cable, played by pyserial on the Linux side.

It conducts the demo: it feeds the terminal host's standard input, answers over the cable and
toggles its modem lines, each step a moment after the last so that the host's reports follow it.
"""
import sys
import time

import serial

STEP = 0.6


def say(text):
    print(f"[peer] {text}", flush=True)


def wait_for(path, needle, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with open(path, encoding="utf-8", errors="replace") as log:
                if needle in log.read():
                    return True
        except FileNotFoundError:
            pass
        time.sleep(0.05)
    return False


def main():
    pty, host_input, host_log, com = sys.argv[1:5]
    if not wait_for(host_log, "[host] opened", 60):
        say("the host did not open its port")
        return 1
    port = serial.Serial(pty, 19200, timeout=5)
    port.dtr = False
    port.rts = False
    say(f"opened the other end of the cable ({com}) with pyserial")
    time.sleep(STEP)

    with open(host_input, "w", encoding="ascii") as typed:
        typed.write("hello from the host\n")
        typed.flush()
        line = port.readline().decode("ascii", "replace").strip()
        say(f"received \"{line}\"")
        time.sleep(STEP)

        say("sending \"hello from the peer\"")
        port.write(b"hello from the peer\r\n")
        time.sleep(STEP)

        say("raising DTR (the host sees DSR and RLSD)")
        port.dtr = True
        time.sleep(STEP)
        say("raising RTS (the host sees CTS)")
        port.rts = True
        time.sleep(STEP)
        say("sending a break")
        port.break_condition = True
        time.sleep(0.2)
        port.break_condition = False
        time.sleep(STEP)
        say("dropping DTR and RTS")
        port.dtr = False
        port.rts = False
        time.sleep(STEP)
        say("ending the host's input: the host closes its port")
    port.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
