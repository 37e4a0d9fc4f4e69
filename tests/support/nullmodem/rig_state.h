/* Layout of $MOKACOMM_RIG_DIR/lines, the state of every virtual null-modem cable of a test run.
 *
 * The file is mapped MAP_SHARED by nullmodemctl, by the wine server and by every Wine process
 * that touches a rig port, in 32-bit and 64-bit processes alike: every field is a fixed-width
 * 32-bit word or a char array, so the layout is the same for both, and the only atomic
 * operations are on 32-bit words. Slots are indexed by COM number.
 *
 * Writers: nullmodemctl changes slot ownership (state, peer, device, session) under an flock
 * on $MOKACOMM_RIG_DIR/lock; the line words (outputs, forced, break_on, count[]) change
 * lock-free through rig_cable.c from any process. */
#ifndef MOKACOMM_RIG_STATE_H
#define MOKACOMM_RIG_STATE_H

#include <stdint.h>

#define RIG_MAGIC 0x314d4e52u /* "RNM1" */
#define RIG_VERSION 1u
#define RIG_COM_FIRST 5u
#define RIG_COM_LAST 32u
#define RIG_SLOTS (RIG_COM_LAST + 1u)
#define RIG_TAG_MAX 64
#define RIG_PTY_MAX 32
#define RIG_BOOT_ID_MAX 40
#define RIG_LINK_MAX 256

enum rig_slot_state {
    RIG_FREE = 0,
    RIG_RESERVED = 1, /* being set up by nullmodemctl up: not yet a device */
    RIG_LIVE = 2,
    RIG_VANISHED = 3  /* socat killed: the COM name stays reserved, every call fails */
};

/* Input lines that the control command forces at one end. */
#define RIG_FORCE_RING 0x1u
#define RIG_FORCE_DCD_ON 0x2u
#define RIG_FORCE_DCD_OFF 0x4u

/* Event counters of one end, as TIOCGICOUNT reports them. */
enum rig_counter {
    RIG_COUNT_CTS,
    RIG_COUNT_DSR,
    RIG_COUNT_RNG,
    RIG_COUNT_DCD,
    RIG_COUNT_BRK,
    RIG_COUNT_FRAME,
    RIG_COUNT_PARITY,
    RIG_COUNT_OVERRUN,
    RIG_COUNT_N
};

struct rig_slot {
    uint32_t state;      /* enum rig_slot_state */
    uint32_t peer;       /* COM number of the other end of the cable */
    uint32_t epoch;      /* bumped each time a new pty takes the slot */
    uint32_t rdev_major; /* st_rdev of the pty slave */
    uint32_t rdev_minor;
    uint32_t outputs;  /* TIOCM_DTR | TIOCM_RTS driven by this end */
    uint32_t forced;   /* RIG_FORCE_* at this end */
    uint32_t break_on; /* this end holds a break */
    uint32_t count[RIG_COUNT_N];
    int32_t socat_pid; /* the pair's socat, the same in both slots */
    char session[RIG_TAG_MAX];
    char pty[RIG_PTY_MAX]; /* /dev/pts/N */
    char dosdevice[RIG_LINK_MAX]; /* the $WINEPREFIX/dosdevices/comN link made for this end */
};

struct rig_lines {
    uint32_t magic;
    uint32_t version;
    uint32_t slot_count;
    uint32_t size;
    char boot_id[RIG_BOOT_ID_MAX]; /* a file from an earlier boot is stale */
    struct rig_slot slot[RIG_SLOTS];
};

_Static_assert(sizeof(struct rig_slot) == 4 * (9 + RIG_COUNT_N) + RIG_TAG_MAX + RIG_PTY_MAX + RIG_LINK_MAX,
               "rig_slot must have no padding");
_Static_assert(sizeof(struct rig_lines) ==
                   16 + RIG_BOOT_ID_MAX + RIG_SLOTS * sizeof(struct rig_slot),
               "rig_lines must have no padding");

static inline uint32_t rig_load(const uint32_t *word)
{
    return __atomic_load_n(word, __ATOMIC_ACQUIRE);
}

static inline void rig_store(uint32_t *word, uint32_t value)
{
    __atomic_store_n(word, value, __ATOMIC_RELEASE);
}

static inline int rig_swap(uint32_t *word, uint32_t *expected, uint32_t value)
{
    return __atomic_compare_exchange_n(word, expected, value, 0, __ATOMIC_ACQ_REL,
                                       __ATOMIC_ACQUIRE);
}

static inline uint32_t rig_exchange(uint32_t *word, uint32_t value)
{
    return __atomic_exchange_n(word, value, __ATOMIC_ACQ_REL);
}

static inline void rig_bump(uint32_t *word)
{
    __atomic_fetch_add(word, 1u, __ATOMIC_ACQ_REL);
}

#endif
