#include "ctl_socat.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ctl_error.h"
#include "ctl_time.h"

#define START_WAIT_MS 2000
#define STOP_WAIT_MS 1000

static void end_address(char *buf, size_t size, unsigned com)
{
    snprintf(buf, size, "pty,link=pty%u,raw,echo=0", com);
}

/* In the child: a process of its own, with no file of ours, not even through Wine's fds,
 * so that nothing (CTest among others) waits on it. */
static void become_socat(const char *rig_dir, unsigned a, unsigned b)
{
    char end_a[64], end_b[64], log[PATH_MAX];
    end_address(end_a, sizeof end_a, a);
    end_address(end_b, sizeof end_b, b);
    snprintf(log, sizeof log, "socat%u.log", a);

    setsid();
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, NULL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
    /* socat has no use for the rig's modem lines. */
    unsetenv("LD_PRELOAD");
    /* Relative links: socat's address syntax would trip over commas or colons in the path. */
    if (chdir(rig_dir) == -1)
        _exit(126);
    int null = open("/dev/null", O_RDWR);
    int err = open(log, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (null == -1 || err == -1)
        _exit(126);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err, 2);
    close_range(3, ~0u, 0);
    execlp("socat", "socat", end_a, end_b, (char *)NULL);
    _exit(127);
}

void socat_link(char *buf, size_t size, const char *rig_dir, unsigned com)
{
    snprintf(buf, size, "%s/pty%u", rig_dir, com);
}

static void remove_links(const char *rig_dir, unsigned a, unsigned b)
{
    char link[PATH_MAX];
    socat_link(link, sizeof link, rig_dir, a);
    unlink(link);
    socat_link(link, sizeof link, rig_dir, b);
    unlink(link);
}

pid_t socat_start(const char *rig_dir, unsigned a, unsigned b)
{
    /* A socat that was killed outright leaves its links behind. */
    remove_links(rig_dir, a, b);

    pid_t pid = fork();
    if (pid == -1)
        return ctl_fail("fork: %s", strerror(errno));
    if (pid == 0)
        become_socat(rig_dir, a, b);
    return pid;
}

int socat_wait_pty(pid_t pid, const char *rig_dir, unsigned com, struct pty_end *end)
{
    char link[PATH_MAX];
    socat_link(link, sizeof link, rig_dir, com);
    long long deadline = ctl_now_ms() + START_WAIT_MS;
    for (;;) {
        struct stat st;
        if (stat(link, &st) == 0 && S_ISCHR(st.st_mode)) {
            end->major = major(st.st_rdev);
            end->minor = minor(st.st_rdev);
            ssize_t n = readlink(link, end->path, sizeof end->path - 1);
            end->path[n > 0 ? n : 0] = '\0';
            return 0;
        }
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return ctl_fail("socat exited before making %s (see %s/socat*.log)", link, rig_dir);
        if (ctl_now_ms() > deadline)
            return ctl_fail("socat made no %s within %d ms", link, START_WAIT_MS);
        ctl_nap();
    }
}

void socat_abandon(pid_t pid, const char *rig_dir, unsigned a, unsigned b)
{
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
    remove_links(rig_dir, a, b);
}

static int read_file(const char *path, char *buf, size_t size)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return -1;
    ssize_t n = read(fd, buf, size - 1);
    close(fd);
    if (n < 0)
        return -1;
    buf[n] = '\0';
    return (int)n;
}

/* A pid outlives its process: before a signal, check that it still is our socat. */
static int is_our_socat(pid_t pid, const char *rig_dir, unsigned a)
{
    char path[64], buf[4096], cwd[PATH_MAX], want[64];
    snprintf(path, sizeof path, "/proc/%d/cwd", (int)pid);
    ssize_t n = readlink(path, cwd, sizeof cwd - 1);
    if (n <= 0)
        return 0;
    cwd[n] = '\0';
    if (strcmp(cwd, rig_dir) != 0)
        return 0;
    snprintf(path, sizeof path, "/proc/%d/cmdline", (int)pid);
    int len = read_file(path, buf, sizeof buf);
    end_address(want, sizeof want, a);
    for (int i = 0; i < len; i += (int)strlen(buf + i) + 1)
        if (strcmp(buf + i, want) == 0)
            return 1;
    return 0;
}

/* Gone, or a zombie that its parent will reap. */
static int is_gone(pid_t pid)
{
    waitpid(pid, NULL, WNOHANG);
    char path[64], stat[512];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    if (read_file(path, stat, sizeof stat) <= 0)
        return 1;
    const char *paren = strrchr(stat, ')');
    return paren && paren[1] == ' ' && paren[2] == 'Z';
}

static int wait_gone(pid_t pid, int ms)
{
    long long deadline = ctl_now_ms() + ms;
    while (!is_gone(pid)) {
        if (ctl_now_ms() > deadline)
            return 0;
        ctl_nap();
    }
    return 1;
}

int socat_stop(pid_t pid, const char *rig_dir, unsigned a, unsigned b)
{
    int status = 0;
    if (pid > 0 && is_our_socat(pid, rig_dir, a)) {
        kill(pid, SIGTERM);
        if (!wait_gone(pid, STOP_WAIT_MS)) {
            kill(pid, SIGKILL);
            if (!wait_gone(pid, STOP_WAIT_MS))
                status = ctl_fail("socat %d did not end", (int)pid);
        }
    }
    remove_links(rig_dir, a, b);
    return status;
}
