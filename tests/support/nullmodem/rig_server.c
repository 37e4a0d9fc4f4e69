/* Inside the wine server only: makes every rig end an exclusive device, as a COM port is on
 * Windows, and gives it the DTR and RTS behaviour of a Linux serial port.
 *
 * Wine 8 opens a device in the server (open_fd) and never refuses a second CreateFile of a
 * port opened with share mode 0; TIOCEXCL does not stop root either. So a second open of an
 * end that the server already holds fails here with EACCES, which Wine reports as
 * ERROR_ACCESS_DENIED. Like a real port with HUPCL, the first open raises DTR and RTS and the
 * last close drops them (and ends a held break).
 *
 * Every open here also gets O_NOCTTY. The server is a session leader without a terminal, so
 * the first tty it opens would become its controlling terminal, and that pty's hangup (a pair
 * vanishing or going down) would send it SIGHUP, on which it dumps all its objects to stderr.
 *
 * The server runs its requests on one thread, so the table below needs no lock. */
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "rig_cable.h"
#include "rig_end.h"
#include "rig_real.h"

#define MAX_HELD 64

struct held {
    int fd;
    unsigned com;
    uint32_t epoch; /* a vanished device's fd does not hold the restored one */
};

static int in_server;
static struct held held[MAX_HELD];
static unsigned held_count;

__attribute__((constructor)) static void detect_server(void)
{
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return;
    exe[n] = '\0';
    const char *base = strrchr(exe, '/');
    in_server = strncmp(base ? base + 1 : exe, "wineserver", 10) == 0;
}

static int find_held(unsigned com, uint32_t epoch)
{
    for (unsigned i = 0; i < held_count; i++)
        if (held[i].com == com && held[i].epoch == epoch)
            return (int)i;
    return -1;
}

typedef int (*open_fn)(const char *, int, ...);
typedef int (*openat_fn)(int, const char *, int, ...);

static int missing(void)
{
    errno = ENOSYS;
    return -1;
}

static int real_close(int fd)
{
    static void *cache;
    int (*fn)(int) = (int (*)(int))rig_real(&cache, "close");
    return fn ? fn(fd) : missing();
}

/* Vets an fd that the server has just opened: refuses a second open of a rig end. */
static int opened(int fd)
{
    if (!in_server || fd < 0)
        return fd;
    int saved = errno;
    struct rig_lines *lines;
    unsigned com = rig_end_of(fd, &lines);
    if (com) {
        uint32_t epoch = rig_load(&lines->slot[com].epoch);
        if (find_held(com, epoch) >= 0) {
            real_close(fd);
            errno = EACCES;
            return -1;
        }
        if (held_count < MAX_HELD) {
            held[held_count++] = (struct held){fd, com, epoch};
            rig_drive(lines, com, 0, TIOCM_DTR | TIOCM_RTS);
        }
    }
    errno = saved;
    return fd;
}

static void closing(int fd)
{
    for (unsigned i = 0; i < held_count; i++) {
        if (held[i].fd != fd)
            continue;
        struct held h = held[i];
        held[i] = held[--held_count];
        struct rig_lines *lines;
        if (rig_end_of(fd, &lines) == h.com &&
            rig_load(&lines->slot[h.com].epoch) == h.epoch) {
            rig_drive(lines, h.com, TIOCM_DTR | TIOCM_RTS, 0);
            rig_hold_break(lines, h.com, 0);
        }
        return;
    }
}

static int open_mode(int flags, va_list ap)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(ap, int) : 0;
}

static int server_flags(int flags)
{
    return in_server ? flags | O_NOCTTY : flags;
}

EXPORT int open(const char *path, int flags, ...)
{
    static void *cache;
    open_fn fn = (open_fn)rig_real(&cache, "open");
    va_list ap;
    va_start(ap, flags);
    int mode = open_mode(flags, ap);
    va_end(ap);
    return fn ? opened(fn(path, server_flags(flags), mode)) : missing();
}

EXPORT int open64(const char *path, int flags, ...)
{
    static void *cache;
    open_fn fn = (open_fn)rig_real(&cache, "open64");
    va_list ap;
    va_start(ap, flags);
    int mode = open_mode(flags, ap);
    va_end(ap);
    return fn ? opened(fn(path, server_flags(flags), mode)) : missing();
}

EXPORT int openat(int dir, const char *path, int flags, ...)
{
    static void *cache;
    openat_fn fn = (openat_fn)rig_real(&cache, "openat");
    va_list ap;
    va_start(ap, flags);
    int mode = open_mode(flags, ap);
    va_end(ap);
    return fn ? opened(fn(dir, path, server_flags(flags), mode)) : missing();
}

EXPORT int openat64(int dir, const char *path, int flags, ...)
{
    static void *cache;
    openat_fn fn = (openat_fn)rig_real(&cache, "openat64");
    va_list ap;
    va_start(ap, flags);
    int mode = open_mode(flags, ap);
    va_end(ap);
    return fn ? opened(fn(dir, path, server_flags(flags), mode)) : missing();
}

EXPORT int close(int fd)
{
    if (in_server)
        closing(fd);
    return real_close(fd);
}
