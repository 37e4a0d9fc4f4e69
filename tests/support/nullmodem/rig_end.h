/* Which rig end, if any, an open file descriptor is. */
#ifndef MOKACOMM_RIG_END_H
#define MOKACOMM_RIG_END_H

#include "rig_state.h"

/* COM number of the rig end that fd is open on, with *lines set to the mapped rig state; 0 for
 * every other fd, and for every fd when the process has no rig (MOKACOMM_RIG_DIR unset, or no
 * lines file in it yet). */
unsigned rig_end_of(int fd, struct rig_lines **lines);

#endif
