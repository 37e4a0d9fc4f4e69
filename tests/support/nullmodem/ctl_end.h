/* What the control command does to one end of a live pair: the inputs it forces and the
 * events it makes arrive. */
#ifndef MOKACOMM_CTL_END_H
#define MOKACOMM_CTL_END_H

#include <stddef.h>

#include "ctl_rig.h"

/* line: "ring" on|off, or "dcd" on|off|auto (auto: DCD follows the peer's DTR again). */
int end_force_line(struct rig *rig, unsigned com, const char *line, const char *value);

/* event: "break", "frame", "parity" or "overrun", arriving at com. */
int end_inject(struct rig *rig, unsigned com, const char *event);

/* The Linux path of com's pty link, for a Linux-side program that plays that end. */
int end_path(struct rig *rig, unsigned com, char *buf, size_t size);

#endif
