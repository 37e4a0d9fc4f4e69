/* Bounded waiting for nullmodemctl: every wait polls against a deadline. */
#ifndef MOKACOMM_CTL_TIME_H
#define MOKACOMM_CTL_TIME_H

#include <time.h>

static inline long long ctl_now_ms(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

static inline void ctl_nap(void)
{
    const struct timespec pause = {0, 2 * 1000 * 1000};
    nanosleep(&pause, NULL);
}

#endif
