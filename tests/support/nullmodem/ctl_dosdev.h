/* The Wine side of a rig end: the link $WINEPREFIX/dosdevices/comN that makes its pty COM N.
 * Wine looks the link up at every CreateFile, so it takes effect without a server restart. */
#ifndef MOKACOMM_CTL_DOSDEV_H
#define MOKACOMM_CTL_DOSDEV_H

#include <stddef.h>

/* Writes "<prefix>/dosdevices/com<com>", with the folder's real path, to buf. */
int dosdev_path(char *buf, size_t size, const char *prefix, unsigned com);

/* True when the link at path may become ours: there is none, or one that an earlier run of
 * this rig left (it leads to a pty link in rig_dir). Links to real devices are left alone. */
int dosdev_available(const char *path, const char *rig_dir);

/* Makes path a link to target, replacing a leftover link in one step. */
int dosdev_make(const char *path, const char *target);

/* Removes path if it still is a link to target. */
void dosdev_remove(const char *path, const char *target);

#endif
