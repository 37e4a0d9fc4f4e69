/* The C library's own version of a function that libnullmodem.so interposes. */
#ifndef MOKACOMM_RIG_REAL_H
#define MOKACOMM_RIG_REAL_H

#include <dlfcn.h>

#define EXPORT __attribute__((visibility("default")))

/* Looks name up past this library once; NULL when the C library has no such function. */
static inline void *rig_real(void **cache, const char *name)
{
    void *fn = __atomic_load_n(cache, __ATOMIC_ACQUIRE);
    if (!fn) {
        fn = dlsym(RTLD_NEXT, name);
        __atomic_store_n(cache, fn, __ATOMIC_RELEASE);
    }
    return fn;
}

#endif
