/* Finding and mapping the rig's shared line state. */
#ifndef MOKACOMM_RIG_MAP_H
#define MOKACOMM_RIG_MAP_H

#include <stddef.h>

#include "rig_state.h"

/* Writes "<dir>/<name>" to buf; -1 when it does not fit. */
int rig_path(char *buf, size_t size, const char *dir, const char *name);

/* Maps the lines file open on fd, read-write and shared; NULL when the file is shorter than
 * the layout. The mapping outlives fd. */
struct rig_lines *rig_map(int fd);

void rig_unmap(struct rig_lines *lines);

/* True when the mapped file is initialised with this layout. */
int rig_valid(const struct rig_lines *lines);

#endif
