/* The life of a null-modem pair: two COM numbers, one socat, two dosdevices links. */
#ifndef MOKACOMM_CTL_PAIR_H
#define MOKACOMM_CTL_PAIR_H

#include "ctl_rig.h"

/* Picks two free COM numbers, joins them with a new socat and makes them COM ports of the
 * prefix; coms[0] < coms[1]. */
int pair_up(struct rig *rig, const char *session, const char *prefix, unsigned coms[2]);

/* Tears down the pair that com belongs to: its socat, its links, its slots. */
int pair_down(struct rig *rig, unsigned com);

/* Ends the socat of com's pair, as if the device were unplugged: the ptys disappear, the COM
 * numbers stay reserved. */
int pair_vanish(struct rig *rig, unsigned com);

/* Gives a vanished pair a new socat on the same links and COM numbers. */
int pair_restore(struct rig *rig, unsigned com);

/* Tears down every pair of a session (every pair at all when session is NULL); *count tells
 * how many. */
int pair_reap(struct rig *rig, const char *session, unsigned *count);

#endif
