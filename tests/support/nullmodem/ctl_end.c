#include "ctl_end.h"

#include <string.h>

#include "ctl_error.h"
#include "ctl_socat.h"
#include "rig_cable.h"

static int live(struct rig *rig, unsigned com)
{
    struct rig_slot *slot = rig_slot_in_use(rig, com);
    if (!slot)
        return -1;
    if (rig_load(&slot->state) != RIG_LIVE)
        return ctl_fail("COM%u is not live", com);
    return 0;
}

int end_force_line(struct rig *rig, unsigned com, const char *line, const char *value)
{
    uint32_t clear, set;
    if (strcmp(line, "ring") == 0 && strcmp(value, "on") == 0)
        clear = 0, set = RIG_FORCE_RING;
    else if (strcmp(line, "ring") == 0 && strcmp(value, "off") == 0)
        clear = RIG_FORCE_RING, set = 0;
    else if (strcmp(line, "dcd") == 0 && strcmp(value, "on") == 0)
        clear = RIG_FORCE_DCD_OFF, set = RIG_FORCE_DCD_ON;
    else if (strcmp(line, "dcd") == 0 && strcmp(value, "off") == 0)
        clear = RIG_FORCE_DCD_ON, set = RIG_FORCE_DCD_OFF;
    else if (strcmp(line, "dcd") == 0 && strcmp(value, "auto") == 0)
        clear = RIG_FORCE_DCD_ON | RIG_FORCE_DCD_OFF, set = 0;
    else
        return ctl_fail("unknown line setting: %s %s", line, value);
    if (live(rig, com) == -1)
        return -1;
    rig_force(rig->lines, com, clear, set);
    return 0;
}

int end_inject(struct rig *rig, unsigned com, const char *event)
{
    static const struct { const char *name; enum rig_counter counter; } events[] = {
        {"break", RIG_COUNT_BRK},
        {"frame", RIG_COUNT_FRAME},
        {"parity", RIG_COUNT_PARITY},
        {"overrun", RIG_COUNT_OVERRUN},
    };
    for (size_t i = 0; i < sizeof events / sizeof events[0]; i++) {
        if (strcmp(event, events[i].name) != 0)
            continue;
        if (live(rig, com) == -1)
            return -1;
        rig_count(rig->lines, com, events[i].counter);
        return 0;
    }
    return ctl_fail("unknown event: %s", event);
}

int end_path(struct rig *rig, unsigned com, char *buf, size_t size)
{
    if (!rig_slot_in_use(rig, com))
        return -1;
    socat_link(buf, size, rig->dir, com);
    return 0;
}
