#include "rig_cable.h"

#include <sys/ioctl.h>

static int is_com(unsigned com)
{
    return com >= RIG_COM_FIRST && com <= RIG_COM_LAST;
}

unsigned rig_find(const struct rig_lines *lines, uint32_t major, uint32_t minor)
{
    for (unsigned com = RIG_COM_FIRST; com <= RIG_COM_LAST; com++) {
        const struct rig_slot *s = &lines->slot[com];
        uint32_t state = rig_load(&s->state);
        if ((state == RIG_LIVE || state == RIG_VANISHED) && s->rdev_major == major &&
            s->rdev_minor == minor)
            return com;
    }
    return 0;
}

static uint32_t inputs(const struct rig_lines *lines, unsigned com)
{
    const struct rig_slot *s = &lines->slot[com];
    unsigned peer = rig_load(&s->peer);
    uint32_t remote = is_com(peer) ? rig_load(&lines->slot[peer].outputs) : 0;
    uint32_t forced = rig_load(&s->forced);
    uint32_t bits = 0;

    if (remote & TIOCM_RTS)
        bits |= TIOCM_CTS;
    if (remote & TIOCM_DTR)
        bits |= TIOCM_DSR;
    if (forced & RIG_FORCE_DCD_ON)
        bits |= TIOCM_CAR;
    else if (!(forced & RIG_FORCE_DCD_OFF) && (remote & TIOCM_DTR))
        bits |= TIOCM_CAR;
    if (forced & RIG_FORCE_RING)
        bits |= TIOCM_RNG;
    return bits;
}

uint32_t rig_modem_bits(const struct rig_lines *lines, unsigned com)
{
    return (rig_load(&lines->slot[com].outputs) & (TIOCM_DTR | TIOCM_RTS)) | inputs(lines, com);
}

static void count_changes(struct rig_lines *lines, unsigned com, uint32_t changed)
{
    static const struct { uint32_t bit; enum rig_counter counter; } map[] = {
        {TIOCM_CTS, RIG_COUNT_CTS},
        {TIOCM_DSR, RIG_COUNT_DSR},
        {TIOCM_RNG, RIG_COUNT_RNG},
        {TIOCM_CAR, RIG_COUNT_DCD},
    };
    for (unsigned i = 0; i < sizeof map / sizeof map[0]; i++)
        if (changed & map[i].bit)
            rig_count(lines, com, map[i].counter);
}

/* Updates one line word and counts the inputs that change at end seen_at as a result. */
static void change(struct rig_lines *lines, uint32_t *word, uint32_t clear, uint32_t set,
                   unsigned seen_at)
{
    uint32_t before = is_com(seen_at) ? inputs(lines, seen_at) : 0;
    uint32_t old = rig_load(word);
    while (!rig_swap(word, &old, (old & ~clear) | set))
        ;
    if (is_com(seen_at))
        count_changes(lines, seen_at, before ^ inputs(lines, seen_at));
}

void rig_drive(struct rig_lines *lines, unsigned com, uint32_t clear, uint32_t set)
{
    const uint32_t mask = TIOCM_DTR | TIOCM_RTS;
    change(lines, &lines->slot[com].outputs, clear & mask, set & mask,
           rig_load(&lines->slot[com].peer));
}

void rig_force(struct rig_lines *lines, unsigned com, uint32_t clear, uint32_t set)
{
    change(lines, &lines->slot[com].forced, clear, set, com);
}

void rig_hold_break(struct rig_lines *lines, unsigned com, int on)
{
    uint32_t was = rig_exchange(&lines->slot[com].break_on, on ? 1u : 0u);
    if (on && !was)
        rig_send_break(lines, com);
}

void rig_send_break(struct rig_lines *lines, unsigned com)
{
    unsigned peer = rig_load(&lines->slot[com].peer);
    if (is_com(peer))
        rig_count(lines, peer, RIG_COUNT_BRK);
}

void rig_count(struct rig_lines *lines, unsigned com, enum rig_counter counter)
{
    rig_bump(&lines->slot[com].count[counter]);
}
