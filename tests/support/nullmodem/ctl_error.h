/* The one failure message of a nullmodemctl run. */
#ifndef MOKACOMM_CTL_ERROR_H
#define MOKACOMM_CTL_ERROR_H

/* Records the message (the first one wins: it names the cause) and returns -1. */
int ctl_fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* The recorded message, or a generic one. */
const char *ctl_message(void);

#endif
