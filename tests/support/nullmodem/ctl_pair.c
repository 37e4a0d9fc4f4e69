#include "ctl_pair.h"

#include <limits.h>
#include <string.h>

#include "ctl_dosdev.h"
#include "ctl_error.h"
#include "ctl_socat.h"

/* Everything but the epoch, which keeps counting so that the wine server can tell a new
 * device in the slot from any earlier one it still holds. */
static void clear_slot(struct rig_slot *slot)
{
    uint32_t epoch = slot->epoch;
    rig_store(&slot->state, RIG_FREE);
    memset((char *)slot + sizeof slot->state, 0, sizeof *slot - sizeof slot->state);
    slot->epoch = epoch;
}

static int pick(struct rig *rig, const char *prefix, unsigned coms[2],
                char dosdevices[2][RIG_LINK_MAX])
{
    unsigned found = 0;
    for (unsigned com = RIG_COM_FIRST; com <= RIG_COM_LAST && found < 2; com++) {
        char path[PATH_MAX];
        if (rig_load(&rig->lines->slot[com].state) != RIG_FREE)
            continue;
        if (dosdev_path(path, sizeof path, prefix, com) == -1)
            return -1;
        if (strlen(path) >= RIG_LINK_MAX)
            return ctl_fail("dosdevices path %s too long", path);
        if (!dosdev_available(path, rig->dir))
            continue;
        coms[found] = com;
        strcpy(dosdevices[found], path);
        found++;
    }
    if (found < 2)
        return ctl_fail("no two free COM numbers in %u..%u", RIG_COM_FIRST, RIG_COM_LAST);
    return 0;
}

static void claim(struct rig_slot *slot, unsigned peer, const char *session,
                  const char *dosdevice)
{
    clear_slot(slot);
    slot->peer = peer;
    strcpy(slot->session, session);
    strcpy(slot->dosdevice, dosdevice);
    rig_store(&slot->state, RIG_RESERVED);
}

/* Called with the lock held. */
static void publish(struct rig *rig, unsigned com, pid_t pid, const struct pty_end *end)
{
    /* The number of a vanished pty may come back for this one: the old entry must no longer
     * match, or the dead fds of the vanished device would drive this one. */
    for (unsigned other = RIG_COM_FIRST; other <= RIG_COM_LAST; other++) {
        struct rig_slot *o = &rig->lines->slot[other];
        if (rig_load(&o->state) == RIG_VANISHED && o->rdev_major == end->major &&
            o->rdev_minor == end->minor)
            o->rdev_major = o->rdev_minor = 0;
    }
    struct rig_slot *slot = &rig->lines->slot[com];
    slot->rdev_major = end->major;
    slot->rdev_minor = end->minor;
    strcpy(slot->pty, end->path);
    slot->socat_pid = pid;
    rig_store(&slot->outputs, 0);
    rig_store(&slot->forced, 0);
    rig_store(&slot->break_on, 0);
    rig_bump(&slot->epoch);
    rig_store(&slot->state, RIG_LIVE);
}

/* Starts the socat of reserved pair (a, b) and makes both ends live. */
static int start(struct rig *rig, unsigned a, unsigned b)
{
    pid_t pid = socat_start(rig->dir, a, b);
    if (pid == -1)
        return -1;
    struct pty_end end_a, end_b;
    if (socat_wait_pty(pid, rig->dir, a, &end_a) == -1 ||
        socat_wait_pty(pid, rig->dir, b, &end_b) == -1) {
        socat_abandon(pid, rig->dir, a, b);
        return -1;
    }
    if (rig_lock(rig) == -1) {
        socat_abandon(pid, rig->dir, a, b);
        return -1;
    }
    publish(rig, a, pid, &end_a);
    publish(rig, b, pid, &end_b);
    rig_unlock(rig);
    return 0;
}

/* Called with the lock held. */
static int teardown(struct rig *rig, unsigned a, unsigned b)
{
    struct rig_slot *sa = &rig->lines->slot[a], *sb = &rig->lines->slot[b];
    rig_store(&sa->state, RIG_FREE);
    rig_store(&sb->state, RIG_FREE);
    int status = socat_stop(sa->socat_pid, rig->dir, a, b);
    const unsigned coms[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        char link[PATH_MAX];
        socat_link(link, sizeof link, rig->dir, coms[i]);
        dosdev_remove(rig->lines->slot[coms[i]].dosdevice, link);
    }
    clear_slot(sa);
    clear_slot(sb);
    return status;
}

static int make_dosdevices(struct rig *rig, unsigned a, unsigned b)
{
    const unsigned coms[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        char link[PATH_MAX];
        socat_link(link, sizeof link, rig->dir, coms[i]);
        if (dosdev_make(rig->lines->slot[coms[i]].dosdevice, link) == -1)
            return -1;
    }
    return 0;
}

int pair_up(struct rig *rig, const char *session, const char *prefix, unsigned coms[2])
{
    char dosdevices[2][RIG_LINK_MAX];
    if (strlen(session) >= RIG_TAG_MAX)
        return ctl_fail("session tag longer than %d bytes", RIG_TAG_MAX - 1);
    if (rig_lock(rig) == -1)
        return -1;
    if (pick(rig, prefix, coms, dosdevices) == -1) {
        rig_unlock(rig);
        return -1;
    }
    claim(&rig->lines->slot[coms[0]], coms[1], session, dosdevices[0]);
    claim(&rig->lines->slot[coms[1]], coms[0], session, dosdevices[1]);
    rig_unlock(rig);

    int status = start(rig, coms[0], coms[1]);
    if (rig_lock(rig) == -1)
        return -1;
    if (status == 0)
        status = make_dosdevices(rig, coms[0], coms[1]);
    if (status == -1)
        teardown(rig, coms[0], coms[1]);
    rig_unlock(rig);
    return status;
}

/* Called with the lock held: the two ends of com's pair, lower COM number first, when com's
 * slot is in state want (any state in use when want is RIG_FREE). */
static int pair_of(struct rig *rig, unsigned com, uint32_t want, unsigned *a, unsigned *b)
{
    struct rig_slot *slot = rig_slot_in_use(rig, com);
    if (!slot)
        return -1;
    uint32_t state = rig_load(&slot->state);
    if (want != RIG_FREE && state != want)
        return ctl_fail("COM%u is %s", com,
                        state == RIG_VANISHED  ? "vanished"
                        : state == RIG_LIVE    ? "live"
                                               : "still being set up");
    unsigned peer = slot->peer;
    *a = com < peer ? com : peer;
    *b = com < peer ? peer : com;
    return 0;
}

int pair_down(struct rig *rig, unsigned com)
{
    unsigned a, b;
    if (rig_lock(rig) == -1)
        return -1;
    int status = pair_of(rig, com, RIG_FREE, &a, &b);
    if (status == 0)
        status = teardown(rig, a, b);
    rig_unlock(rig);
    return status;
}

int pair_vanish(struct rig *rig, unsigned com)
{
    unsigned a, b;
    if (rig_lock(rig) == -1)
        return -1;
    int status = pair_of(rig, com, RIG_LIVE, &a, &b);
    if (status == 0) {
        struct rig_slot *sa = &rig->lines->slot[a], *sb = &rig->lines->slot[b];
        /* First every call on the ends fails, as on a hung-up tty, then the ptys go. */
        rig_store(&sa->state, RIG_VANISHED);
        rig_store(&sb->state, RIG_VANISHED);
        status = socat_stop(sa->socat_pid, rig->dir, a, b);
        sa->socat_pid = sb->socat_pid = 0;
    }
    rig_unlock(rig);
    return status;
}

static void set_pair_state(struct rig *rig, unsigned a, unsigned b, uint32_t state)
{
    rig_store(&rig->lines->slot[a].state, state);
    rig_store(&rig->lines->slot[b].state, state);
}

int pair_restore(struct rig *rig, unsigned com)
{
    unsigned a, b;
    if (rig_lock(rig) == -1)
        return -1;
    int status = pair_of(rig, com, RIG_VANISHED, &a, &b);
    if (status == 0)
        set_pair_state(rig, a, b, RIG_RESERVED);
    rig_unlock(rig);
    if (status == -1)
        return -1;

    if (start(rig, a, b) == 0)
        return 0;
    if (rig_lock(rig) == 0) {
        set_pair_state(rig, a, b, RIG_VANISHED);
        rig_unlock(rig);
    }
    return -1;
}

int pair_reap(struct rig *rig, const char *session, unsigned *count)
{
    unsigned victims[RIG_SLOTS], n = 0;
    if (rig_lock(rig) == -1)
        return -1;
    for (unsigned com = RIG_COM_FIRST; com <= RIG_COM_LAST; com++) {
        const struct rig_slot *slot = &rig->lines->slot[com];
        if (rig_load(&slot->state) != RIG_FREE && com < slot->peer &&
            (!session || strcmp(slot->session, session) == 0))
            victims[n++] = com;
    }
    rig_unlock(rig);

    int status = 0;
    *count = 0;
    for (unsigned i = 0; i < n; i++) {
        if (pair_down(rig, victims[i]) == 0)
            ++*count;
        else
            status = -1;
    }
    return status;
}
