/* The socat process that joins the two ptys of a pair. */
#ifndef MOKACOMM_CTL_SOCAT_H
#define MOKACOMM_CTL_SOCAT_H

#include <sys/types.h>

struct pty_end {
    unsigned major, minor;
    char path[32]; /* /dev/pts/N */
};

/* "<rig folder>/pty<com>": the pty link of end com. */
void socat_link(char *buf, size_t size, const char *rig_dir, unsigned com);

/* Starts socat, detached from this process's session and files, joining two new ptys whose
 * links are pty<a> and pty<b> in the rig folder; returns its pid, or -1. */
pid_t socat_start(const char *rig_dir, unsigned a, unsigned b);

/* Waits, a few seconds at most, until the link of end com leads to a pty. */
int socat_wait_pty(pid_t pid, const char *rig_dir, unsigned com, struct pty_end *end);

/* Ends a socat that socat_start just started in this process and that will not be used. */
void socat_abandon(pid_t pid, const char *rig_dir, unsigned a, unsigned b);

/* Ends the socat whose first link is pty<a>, if pid still is that process, and waits for it
 * to go; the links are gone afterwards either way. */
int socat_stop(pid_t pid, const char *rig_dir, unsigned a, unsigned b);

#endif
