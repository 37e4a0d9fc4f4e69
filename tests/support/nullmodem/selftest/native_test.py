"""The rig from the Linux side, without Wine: nullmodemctl on a scratch rig folder and prefix,
and libnullmodem.so (preloaded by CTest) serving the modem ioctls to this Python process, as
it does to a Linux-side peer.

usage: LD_PRELOAD='<build>/rig/$LIB/libnullmodem.so' python3 native_test.py <nullmodemctl>
"""
import array
import errno
import fcntl
import os
import subprocess
import sys
import tempfile
import termios
import unittest

CTL = None

TIOCSBRK = 0x5427
TIOCCBRK = 0x5428
TIOCGICOUNT = 0x545D
TIOCSERGETLSR = 0x5459
TIOCSER_TEMT = 0x01
# struct serial_icounter_struct: cts, dsr, rng, dcd, rx, tx, frame, overrun, parity, brk, ...
COUNTS = ("cts", "dsr", "rng", "dcd", "rx", "tx", "frame", "overrun", "parity", "brk")


def ctl(*args, env=None, check=True):
    done = os.path.join(os.environ["MOKACOMM_RIG_DIR"], "done.native")
    result = subprocess.run([CTL, *args, "--done", done], capture_output=True, text=True,
                            env=env, timeout=10)
    with open(done) as f:
        answer = f.read()
    os.unlink(done)
    if check and result.returncode != 0:
        raise AssertionError(f"nullmodemctl {' '.join(args)}: {answer.strip()}")
    return result, answer


def get_bits(fd):
    buf = array.array("i", [0])
    fcntl.ioctl(fd, termios.TIOCMGET, buf, True)
    return buf[0]


def set_bits(fd, request, bits):
    fcntl.ioctl(fd, request, array.array("i", [bits]), False)


def counts(fd):
    buf = array.array("i", [0] * 20)
    fcntl.ioctl(fd, TIOCGICOUNT, buf, True)
    return dict(zip(COUNTS, buf))


RIG = tempfile.TemporaryDirectory(prefix="nullmodem-native.")


def tearDownModule():
    RIG.cleanup()


class RigFolder(unittest.TestCase):
    """The rig folder of this process (the library maps its lines file once, like the folder
    of a test run) and a fresh prefix with nothing but a dosdevices folder."""

    def setUp(self):
        self.rig = RIG.name
        self.scratch = tempfile.TemporaryDirectory(prefix="nullmodem-prefix.")
        self.prefix = self.scratch.name
        os.makedirs(os.path.join(self.prefix, "dosdevices"))
        self.saved_env = dict(os.environ)
        os.environ["MOKACOMM_RIG_DIR"] = self.rig
        os.environ["WINEPREFIX"] = self.prefix
        self.fds = []

    def tearDown(self):
        for fd in self.fds:
            os.close(fd)
        ctl("reap", "--all", check=False)
        os.environ.clear()
        os.environ.update(self.saved_env)
        self.scratch.cleanup()

    def dosdevice(self, com):
        return os.path.join(self.prefix, "dosdevices", f"com{com}")

    def up(self, *args):
        result, answer = ctl("up", *args)
        a, b = (int(n) for n in result.stdout.split())
        self.assertEqual(f"ok {a} {b}\n", answer)
        return a, b

    def open_end(self, com):
        path = ctl("path", str(com))[0].stdout.strip()
        fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        self.fds.append(fd)
        return fd


class PairLifetime(RigFolder):
    def test_up_makes_two_ports_and_down_removes_them(self):
        a, b = self.up()
        self.assertTrue(5 <= a < b <= 32)
        for com in (a, b):
            self.assertEqual(os.path.join(os.path.realpath(self.rig), f"pty{com}"),
                             os.readlink(self.dosdevice(com)))
            self.assertTrue(os.path.exists(self.dosdevice(com)), "the link leads to a pty")
        ctl("down", str(b))
        for com in (a, b):
            self.assertFalse(os.path.lexists(self.dosdevice(com)))
            self.assertFalse(os.path.lexists(os.path.join(self.rig, f"pty{com}")))

    def test_ports_in_use_by_the_prefix_are_skipped(self):
        os.symlink("/dev/null", self.dosdevice(5))
        self.assertEqual((6, 7), self.up())
        self.assertEqual("/dev/null", os.readlink(self.dosdevice(5)))

    def test_reap_takes_only_the_pairs_of_its_session(self):
        mine = self.up("--session", "mine")
        theirs = self.up("--session", "theirs")
        self.assertEqual("ok 1\n", ctl("reap", "mine")[1])
        self.assertFalse(os.path.lexists(self.dosdevice(mine[0])))
        self.assertTrue(os.path.exists(self.dosdevice(theirs[0])))

    def test_failures_are_reported_in_the_done_file(self):
        result, answer = ctl("line", "9", "ring", "on", check=False)
        self.assertEqual(1, result.returncode)
        self.assertEqual("error: COM9 is not a rig port\n", answer)
        result, answer = ctl("bogus", check=False)
        self.assertEqual("error: unknown command: bogus\n", answer)
        env = dict(os.environ)
        del env["WINEPREFIX"]
        result, answer = ctl("up", env=env, check=False)
        self.assertTrue(answer.startswith("error: no Wine prefix"), answer)
        result, answer = ctl("down", check=False)
        self.assertEqual(2, result.returncode, "a usage error")
        self.assertTrue(answer.startswith("error: "), answer)


class Cable(RigFolder):
    def setUp(self):
        super().setUp()
        self.a, self.b = self.up()
        self.fa, self.fb = self.open_end(self.a), self.open_end(self.b)

    def test_dtr_drives_dsr_and_dcd_rts_drives_cts(self):
        self.assertEqual(0, get_bits(self.fb))
        set_bits(self.fa, termios.TIOCMBIS, termios.TIOCM_DTR)
        self.assertEqual(termios.TIOCM_DSR | termios.TIOCM_CAR, get_bits(self.fb))
        self.assertEqual(termios.TIOCM_DTR, get_bits(self.fa))
        set_bits(self.fa, termios.TIOCMSET, termios.TIOCM_RTS)
        self.assertEqual(termios.TIOCM_CTS, get_bits(self.fb))
        set_bits(self.fa, termios.TIOCMBIC, termios.TIOCM_RTS)
        self.assertEqual(0, get_bits(self.fb))
        c = counts(self.fb)
        self.assertEqual((2, 2, 2, 0), (c["dsr"], c["dcd"], c["cts"], c["rng"]))

    def test_forced_ring_and_dcd(self):
        set_bits(self.fa, termios.TIOCMBIS, termios.TIOCM_DTR)
        ctl("line", str(self.b), "ring", "on")
        ctl("line", str(self.b), "dcd", "off")
        self.assertEqual(termios.TIOCM_DSR | termios.TIOCM_RNG, get_bits(self.fb))
        self.assertEqual(termios.TIOCM_DTR, get_bits(self.fa), "forced at one end only")
        ctl("line", str(self.b), "dcd", "auto")
        ctl("line", str(self.b), "ring", "off")
        self.assertEqual(termios.TIOCM_DSR | termios.TIOCM_CAR, get_bits(self.fb))
        c = counts(self.fb)
        self.assertEqual((2, 3), (c["rng"], c["dcd"]))

    def test_breaks_and_errors_are_counted_at_their_end(self):
        fcntl.ioctl(self.fa, TIOCSBRK)
        fcntl.ioctl(self.fa, TIOCSBRK)
        fcntl.ioctl(self.fa, TIOCCBRK)
        ctl("break", str(self.b))
        for kind in ("frame", "parity", "overrun", "overrun"):
            ctl("error", str(self.b), kind)
        c = counts(self.fb)
        self.assertEqual((2, 1, 1, 2), (c["brk"], c["frame"], c["parity"], c["overrun"]))
        self.assertEqual(0, sum(counts(self.fa).values()))

    def test_line_status_tells_an_empty_transmitter(self):
        os.write(self.fa, b"x")
        self.assertEqual(b"x", os.read(self.fb, 1))
        buf = array.array("I", [0])
        fcntl.ioctl(self.fa, TIOCSERGETLSR, buf, True)
        self.assertEqual(TIOCSER_TEMT, buf[0])

    def test_vanish_hangs_up_and_restore_brings_new_ptys(self):
        old = os.fstat(self.fa).st_rdev
        ctl("vanish", str(self.a))
        with self.assertRaises(OSError) as caught:
            get_bits(self.fa)
        self.assertEqual(errno.EIO, caught.exception.errno)
        self.assertFalse(os.path.exists(self.dosdevice(self.a)), "the link dangles")
        self.assertEqual(1, ctl("line", str(self.a), "ring", "on", check=False)[0].returncode)

        ctl("restore", str(self.b))
        fa = self.open_end(self.a)
        fb = self.open_end(self.b)
        self.assertNotEqual(old, os.fstat(fa).st_rdev)
        set_bits(fa, termios.TIOCMBIS, termios.TIOCM_RTS)
        self.assertEqual(termios.TIOCM_CTS, get_bits(fb))
        os.write(fb, b"back")
        self.assertEqual(b"back", os.read(fa, 4))

    def test_without_a_rig_folder_the_library_passes_through(self):
        env = dict(os.environ)
        del env["MOKACOMM_RIG_DIR"]
        code = ("import fcntl, os, sys, termios\n"
                "fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)\n"
                "try:\n"
                "    fcntl.ioctl(fd, termios.TIOCMGET, b'\\0' * 4)\n"
                "except OSError as e:\n"
                "    sys.exit(e.errno)\n")
        path = os.path.join(self.rig, f"pty{self.a}")
        result = subprocess.run([sys.executable, "-c", code, path], env=env, timeout=10)
        self.assertEqual(errno.ENOTTY, result.returncode, "a bare pty has no modem lines")


if __name__ == "__main__":
    CTL = sys.argv.pop(1)
    unittest.main(verbosity=2)
