#include "rig_map.h"

#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>

int rig_path(char *buf, size_t size, const char *dir, const char *name)
{
    int n = snprintf(buf, size, "%s/%s", dir, name);
    return n < 0 || (size_t)n >= size ? -1 : 0;
}

struct rig_lines *rig_map(int fd)
{
    /* fstat64: a 32-bit fstat fails with EOVERFLOW on file systems with 64-bit inode numbers. */
    struct stat64 st;
    if (fstat64(fd, &st) == -1 || st.st_size < (off_t)sizeof(struct rig_lines))
        return NULL;
    void *p = mmap(NULL, sizeof(struct rig_lines), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return p == MAP_FAILED ? NULL : p;
}

void rig_unmap(struct rig_lines *lines)
{
    munmap(lines, sizeof *lines);
}

int rig_valid(const struct rig_lines *lines)
{
    return rig_load(&lines->magic) == RIG_MAGIC && lines->version == RIG_VERSION &&
           lines->slot_count == RIG_SLOTS && lines->size == sizeof *lines;
}
