#include "rig_end.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "rig_cable.h"
#include "rig_map.h"

/* Unix98 pty slaves: every rig end is one, so only these fds are worth a look-up. */
#define PTY_SLAVE_MAJOR_FIRST 136u
#define PTY_SLAVE_MAJOR_LAST 143u

static struct rig_lines *mapped;

/* The lines file appears with the first pair, possibly long after this process (a persistent
 * wine server, say) started: until then every call tries again. */
static struct rig_lines *rig_lines_now(void)
{
    struct rig_lines *lines = __atomic_load_n(&mapped, __ATOMIC_ACQUIRE);
    if (lines)
        return lines;

    const char *dir = getenv("MOKACOMM_RIG_DIR");
    char path[PATH_MAX];
    if (!dir || !*dir || rig_path(path, sizeof path, dir, "lines") == -1)
        return NULL;
    int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd == -1)
        return NULL;
    lines = rig_map(fd);
    close(fd);
    if (!lines)
        return NULL;
    if (!rig_valid(lines)) {
        rig_unmap(lines);
        return NULL;
    }
    struct rig_lines *expected = NULL;
    if (!__atomic_compare_exchange_n(&mapped, &expected, lines, 0, __ATOMIC_ACQ_REL,
                                     __ATOMIC_ACQUIRE)) {
        rig_unmap(lines);
        lines = expected;
    }
    return lines;
}

unsigned rig_end_of(int fd, struct rig_lines **lines)
{
    struct stat64 st;
    if (fstat64(fd, &st) == -1 || !S_ISCHR(st.st_mode))
        return 0;
    unsigned maj = major(st.st_rdev);
    if (maj < PTY_SLAVE_MAJOR_FIRST || maj > PTY_SLAVE_MAJOR_LAST)
        return 0;
    struct rig_lines *l = rig_lines_now();
    if (!l)
        return 0;
    unsigned com = rig_find(l, maj, minor(st.st_rdev));
    if (com)
        *lines = l;
    return com;
}
