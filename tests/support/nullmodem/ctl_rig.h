/* nullmodemctl's access to the rig folder: its lock and its lines file. */
#ifndef MOKACOMM_CTL_RIG_H
#define MOKACOMM_CTL_RIG_H

#include <limits.h>

#include "rig_state.h"

struct rig {
    char dir[PATH_MAX]; /* real path of $MOKACOMM_RIG_DIR, short enough for any file in it */
    int lock_fd;
    struct rig_lines *lines;
};

/* Opens the rig folder named by $MOKACOMM_RIG_DIR and maps its lines file, creating it, or
 * starting it afresh when it is from another boot or layout. */
int rig_open(struct rig *rig);

/* Takes the rig lock, waiting at most a few seconds for other nullmodemctl runs. */
int rig_lock(struct rig *rig);
void rig_unlock(struct rig *rig);

/* The slot of COM number com in a state other than RIG_FREE, or NULL with an error. */
struct rig_slot *rig_slot_in_use(struct rig *rig, unsigned com);

#endif
