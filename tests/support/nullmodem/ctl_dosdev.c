#include "ctl_dosdev.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ctl_error.h"

int dosdev_path(char *buf, size_t size, const char *prefix, unsigned com)
{
    char folder[PATH_MAX], dosdevices[PATH_MAX];
    if (snprintf(folder, sizeof folder, "%s/dosdevices", prefix) >= (int)sizeof folder)
        return ctl_fail("Wine prefix path too long");
    if (!realpath(folder, dosdevices))
        return ctl_fail("Wine prefix %s has no dosdevices folder: %s", prefix, strerror(errno));
    int n = snprintf(buf, size, "%s/com%u", dosdevices, com);
    return n < 0 || (size_t)n >= size ? ctl_fail("dosdevices path too long") : 0;
}

static int read_link(const char *path, char *target, size_t size)
{
    ssize_t n = readlink(path, target, size - 1);
    if (n < 0)
        return -1;
    target[n] = '\0';
    return 0;
}

int dosdev_available(const char *path, const char *rig_dir)
{
    struct stat st;
    if (lstat(path, &st) == -1)
        return errno == ENOENT;
    char target[PATH_MAX], ours[PATH_MAX];
    snprintf(ours, sizeof ours, "%s/pty", rig_dir);
    return S_ISLNK(st.st_mode) && read_link(path, target, sizeof target) == 0 &&
           strncmp(target, ours, strlen(ours)) == 0;
}

int dosdev_make(const char *path, const char *target)
{
    char temp[PATH_MAX];
    snprintf(temp, sizeof temp, "%s.%d.tmp", path, (int)getpid());
    unlink(temp);
    if (symlink(target, temp) == -1)
        return ctl_fail("cannot make %s: %s", temp, strerror(errno));
    if (rename(temp, path) == -1) {
        int err = errno;
        unlink(temp);
        return ctl_fail("cannot make %s: %s", path, strerror(err));
    }
    return 0;
}

void dosdev_remove(const char *path, const char *target)
{
    char current[PATH_MAX];
    if (read_link(path, current, sizeof current) == 0 && strcmp(current, target) == 0)
        unlink(path);
}
