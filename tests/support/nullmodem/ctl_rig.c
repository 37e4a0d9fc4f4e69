#include "ctl_rig.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include "ctl_error.h"
#include "ctl_time.h"
#include "rig_map.h"

#define LOCK_WAIT_MS 1500
#define NAME_ROOM 64 /* for the longest file name in the rig folder */

static void read_boot_id(char out[RIG_BOOT_ID_MAX])
{
    memset(out, 0, RIG_BOOT_ID_MAX);
    FILE *f = fopen("/proc/sys/kernel/random/boot_id", "re");
    if (!f)
        return;
    if (fgets(out, RIG_BOOT_ID_MAX, f))
        out[strcspn(out, "\n")] = '\0';
    fclose(f);
}

/* Called with the lock held. Fresh state: every slot free. */
static void start_afresh(struct rig_lines *lines, const char *boot_id)
{
    rig_store(&lines->magic, 0);
    memset(lines->slot, 0, sizeof lines->slot);
    lines->version = RIG_VERSION;
    lines->slot_count = RIG_SLOTS;
    lines->size = sizeof *lines;
    memcpy(lines->boot_id, boot_id, RIG_BOOT_ID_MAX);
    rig_store(&lines->magic, RIG_MAGIC);
}

static int map_lines(struct rig *rig)
{
    char path[PATH_MAX];
    rig_path(path, sizeof path, rig->dir, "lines");
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd == -1)
        return ctl_fail("cannot open %s: %s", path, strerror(errno));
    /* Growing in place, never replacing: running processes keep their mapping of this file. */
    if (ftruncate(fd, sizeof(struct rig_lines)) == -1) {
        close(fd);
        return ctl_fail("cannot size %s: %s", path, strerror(errno));
    }
    rig->lines = rig_map(fd);
    close(fd);
    if (!rig->lines)
        return ctl_fail("cannot map %s", path);

    char boot_id[RIG_BOOT_ID_MAX];
    read_boot_id(boot_id);
    if (!rig_valid(rig->lines) || memcmp(rig->lines->boot_id, boot_id, sizeof boot_id) != 0)
        start_afresh(rig->lines, boot_id);
    return 0;
}

int rig_open(struct rig *rig)
{
    const char *dir = getenv("MOKACOMM_RIG_DIR");
    if (!dir || !*dir)
        return ctl_fail("MOKACOMM_RIG_DIR is not set");
    if (!realpath(dir, rig->dir))
        return ctl_fail("rig folder %s: %s", dir, strerror(errno));
    if (strlen(rig->dir) > PATH_MAX - NAME_ROOM)
        return ctl_fail("rig folder path too long");

    char path[PATH_MAX];
    rig_path(path, sizeof path, rig->dir, "lock");
    rig->lock_fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (rig->lock_fd == -1)
        return ctl_fail("cannot open %s: %s", path, strerror(errno));

    if (rig_lock(rig) == -1)
        return -1;
    int status = map_lines(rig);
    rig_unlock(rig);
    return status;
}

int rig_lock(struct rig *rig)
{
    long long deadline = ctl_now_ms() + LOCK_WAIT_MS;
    while (flock(rig->lock_fd, LOCK_EX | LOCK_NB) == -1) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return ctl_fail("cannot lock the rig folder: %s", strerror(errno));
        if (ctl_now_ms() > deadline)
            return ctl_fail("the rig folder stayed locked for %d ms", LOCK_WAIT_MS);
        ctl_nap();
    }
    return 0;
}

void rig_unlock(struct rig *rig)
{
    flock(rig->lock_fd, LOCK_UN);
}

struct rig_slot *rig_slot_in_use(struct rig *rig, unsigned com)
{
    if (com < RIG_COM_FIRST || com > RIG_COM_LAST) {
        ctl_fail("COM%u is outside the rig's range %u..%u", com, RIG_COM_FIRST, RIG_COM_LAST);
        return NULL;
    }
    struct rig_slot *slot = &rig->lines->slot[com];
    if (rig_load(&slot->state) == RIG_FREE) {
        ctl_fail("COM%u is not a rig port", com);
        return NULL;
    }
    return slot;
}
