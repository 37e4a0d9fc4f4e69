/* libnullmodem.so, preloaded into Wine, its server and any Linux-side peer: gives the ptys of
 * the rig the modem lines that Linux ptys lack.
 *
 * Wine 8's serial code (ntdll's unix side, in the Wine process itself) reads and drives the
 * lines with TIOCMGET/TIOCMSET/TIOCMBIS/TIOCMBIC, counts breaks and errors with TIOCGICOUNT,
 * tells an empty transmitter with TIOCSERGETLSR and sends breaks with TIOCSBRK/TIOCCBRK; a pty
 * refuses all of these but the break calls, which it ignores. WaitCommEvent does not use
 * TIOCMIWAIT: a thread polls those calls every millisecond, so emulating them from the shared
 * state is enough for every event to arrive. Every other request, and every request on any
 * other fd, goes straight to the C library. */
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>

#include "rig_cable.h"
#include "rig_end.h"
#include "rig_real.h"

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int is_emulated(unsigned long request, void *arg)
{
    switch (request) {
    case TIOCMGET:
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCGICOUNT:
    case TIOCSERGETLSR:
    case TIOCSBRK:
    case TIOCCBRK:
    case TCSBRKP:
        return 1;
    case TCSBRK: /* 0 sends a break; any other value is tcdrain, which the pty does itself */
        return arg == NULL;
    default:
        return 0;
    }
}

static int needs_buffer(unsigned long request)
{
    return request != TIOCSBRK && request != TIOCCBRK && request != TCSBRK &&
           request != TCSBRKP;
}

/* rx and tx stay 0: the rig does not count bytes, and Wine only traces them. */
static void get_counts(const struct rig_lines *lines, unsigned com,
                       struct serial_icounter_struct *out)
{
    const uint32_t *count = lines->slot[com].count;
    memset(out, 0, sizeof *out);
    out->cts = (int)rig_load(&count[RIG_COUNT_CTS]);
    out->dsr = (int)rig_load(&count[RIG_COUNT_DSR]);
    out->rng = (int)rig_load(&count[RIG_COUNT_RNG]);
    out->dcd = (int)rig_load(&count[RIG_COUNT_DCD]);
    out->brk = (int)rig_load(&count[RIG_COUNT_BRK]);
    out->frame = (int)rig_load(&count[RIG_COUNT_FRAME]);
    out->parity = (int)rig_load(&count[RIG_COUNT_PARITY]);
    out->overrun = (int)rig_load(&count[RIG_COUNT_OVERRUN]);
}

/* The transmitter is empty once socat has taken every byte written to the pty. */
static int get_line_status(ioctl_fn real, int fd, unsigned *out)
{
    int pending;
    if (real(fd, TIOCOUTQ, &pending) == -1)
        return -1;
    *out = pending == 0 ? TIOCSER_TEMT : 0;
    return 0;
}

static int emulate(ioctl_fn real, int fd, struct rig_lines *lines, unsigned com,
                   unsigned long request, void *arg)
{
    /* A vanished end answers like a hung-up tty. */
    if (rig_load(&lines->slot[com].state) != RIG_LIVE) {
        errno = EIO;
        return -1;
    }
    if (needs_buffer(request) && !arg) {
        errno = EFAULT;
        return -1;
    }
    switch (request) {
    case TIOCMGET:
        *(int *)arg = (int)rig_modem_bits(lines, com);
        return 0;
    case TIOCMSET:
        rig_drive(lines, com, ~0u, (uint32_t)*(int *)arg);
        return 0;
    case TIOCMBIS:
        rig_drive(lines, com, 0, (uint32_t)*(int *)arg);
        return 0;
    case TIOCMBIC:
        rig_drive(lines, com, (uint32_t)*(int *)arg, 0);
        return 0;
    case TIOCGICOUNT:
        get_counts(lines, com, arg);
        return 0;
    case TIOCSERGETLSR:
        return get_line_status(real, fd, arg);
    case TIOCSBRK:
        rig_hold_break(lines, com, 1);
        return 0;
    case TIOCCBRK:
        rig_hold_break(lines, com, 0);
        return 0;
    default: /* TCSBRK 0, TCSBRKP */
        rig_send_break(lines, com);
        return 0;
    }
}

static int rig_ioctl(ioctl_fn real, int fd, unsigned long request, void *arg)
{
    struct rig_lines *lines;
    unsigned com;

    if (!real) {
        errno = ENOSYS;
        return -1;
    }
    if (!is_emulated(request, arg) || !(com = rig_end_of(fd, &lines)))
        return real(fd, request, arg);
    return emulate(real, fd, lines, com, request, arg);
}

EXPORT int ioctl(int fd, unsigned long request, ...)
{
    static void *real;
    va_list ap;
    va_start(ap, request);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    return rig_ioctl((ioctl_fn)rig_real(&real, "ioctl"), fd, request, arg);
}

#if defined(__i386__)
/* 32-bit code built with 64-bit time_t (Wine 8's i386 ntdll.so among it) calls this one. */
EXPORT int __ioctl_time64(int fd, unsigned long request, ...)
{
    static void *real;
    va_list ap;
    va_start(ap, request);
    void *arg = va_arg(ap, void *);
    va_end(ap);
    return rig_ioctl((ioctl_fn)rig_real(&real, "__ioctl_time64"), fd, request, arg);
}
#endif
