/* nullmodemctl: sets up and drives the virtual null-modem pairs of a test run.
 *
 * Every command takes --done FILE: when it has finished, "ok[ RESULT]\n" or "error: WHY\n" is
 * written there in one step (a temporary file renamed), because a Windows program that starts
 * this command under Wine can neither wait for it nor read its exit code. */
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "ctl_end.h"
#include "ctl_error.h"
#include "ctl_pair.h"
#include "ctl_rig.h"

#define MAX_WORDS 4

static const char usage[] =
    "usage: nullmodemctl COMMAND [--done FILE]\n"
    "  up [--session TAG] [--prefix WINEPREFIX]   make a pair, print its COM numbers \"A B\"\n"
    "  down COM                 tear down COM's pair\n"
    "  vanish COM               unplug COM's pair: its ptys go, its COM numbers stay\n"
    "  restore COM              plug a vanished pair in again\n"
    "  line COM ring on|off     force RING as COM sees it\n"
    "  line COM dcd on|off|auto force DCD as COM sees it, or let the peer's DTR drive it\n"
    "  break COM                a break arrives at COM\n"
    "  error COM frame|parity|overrun   a receive error arrives at COM\n"
    "  path COM                 print the Linux path of COM's pty\n"
    "  reap TAG|--all           tear down every pair of a session, or every pair\n";

struct request {
    const char *words[MAX_WORDS];
    int count;
    const char *done, *session, *prefix;
    int all;
};

static int parse(int argc, char **argv, struct request *req)
{
    memset(req, 0, sizeof *req);
    req->session = "";
    req->prefix = getenv("WINEPREFIX");
    for (int i = 1; i < argc; i++) {
        const char **option = strcmp(argv[i], "--done") == 0      ? &req->done
                              : strcmp(argv[i], "--session") == 0 ? &req->session
                              : strcmp(argv[i], "--prefix") == 0  ? &req->prefix
                                                                  : NULL;
        if (option) {
            if (++i == argc)
                return ctl_fail("%s needs a value", argv[i - 1]);
            *option = argv[i];
        } else if (strcmp(argv[i], "--all") == 0) {
            req->all = 1;
        } else if (req->count < MAX_WORDS) {
            req->words[req->count++] = argv[i];
        } else {
            return ctl_fail("too many arguments");
        }
    }
    return req->count > 0 ? 0 : ctl_fail("no command");
}

static int parse_com(const char *text, unsigned *com)
{
    char *end;
    errno = 0;
    unsigned long n = strtoul(text, &end, 10);
    if (errno || end == text || *end || n > RIG_COM_LAST)
        return ctl_fail("not a rig COM number: %s", text);
    *com = (unsigned)n;
    return 0;
}

enum op { UP, REAP, DOWN, VANISH, RESTORE, BREAK, ERROR, LINE, PATH };

static const struct command {
    const char *name;
    int words; /* with the command itself */
    int takes_com;
    enum op op;
} commands[] = {
    {"up", 1, 0, UP},          {"reap", 2, 0, REAP},     {"down", 2, 1, DOWN},
    {"vanish", 2, 1, VANISH},  {"restore", 2, 1, RESTORE}, {"break", 2, 1, BREAK},
    {"error", 3, 1, ERROR},    {"line", 4, 1, LINE},     {"path", 2, 1, PATH},
};

/* Checks the request against its command before anything is done: the command, or NULL. */
static const struct command *check(const struct request *req, unsigned *com)
{
    const struct command *cmd = NULL;
    for (size_t i = 0; i < sizeof commands / sizeof commands[0]; i++)
        if (strcmp(req->words[0], commands[i].name) == 0)
            cmd = &commands[i];
    if (!cmd) {
        ctl_fail("unknown command: %s", req->words[0]);
        return NULL;
    }
    if (req->all && cmd->op != REAP) {
        ctl_fail("--all is for reap only");
        return NULL;
    }
    int words = cmd->op == REAP && req->all ? 1 : cmd->words;
    if (req->count != words) {
        ctl_fail("%s takes %d argument%s", cmd->name, words - 1, words == 2 ? "" : "s");
        return NULL;
    }
    return !cmd->takes_com || parse_com(req->words[1], com) == 0 ? cmd : NULL;
}

/* Runs a checked request; result receives what the command reports. */
static int run(const struct request *req, enum op op, unsigned com, char *result, size_t size)
{
    struct rig rig;
    unsigned coms[2], count;
    if (op == UP && (!req->prefix || !*req->prefix))
        return ctl_fail("no Wine prefix: set WINEPREFIX or pass --prefix");
    if (rig_open(&rig) == -1)
        return -1;
    switch (op) {
    case UP:
        if (pair_up(&rig, req->session, req->prefix, coms) == -1)
            return -1;
        snprintf(result, size, "%u %u", coms[0], coms[1]);
        return 0;
    case REAP:
        if (pair_reap(&rig, req->all ? NULL : req->words[1], &count) == -1)
            return -1;
        snprintf(result, size, "%u", count);
        return 0;
    case DOWN:
        return pair_down(&rig, com);
    case VANISH:
        return pair_vanish(&rig, com);
    case RESTORE:
        return pair_restore(&rig, com);
    case BREAK:
        return end_inject(&rig, com, "break");
    case ERROR:
        return end_inject(&rig, com, req->words[2]);
    case LINE:
        return end_force_line(&rig, com, req->words[2], req->words[3]);
    case PATH:
        return end_path(&rig, com, result, size);
    }
    return ctl_fail("unknown command");
}

static int write_done(const char *done, const char *text)
{
    char temp[PATH_MAX];
    if (snprintf(temp, sizeof temp, "%s.%d.tmp", done, (int)getpid()) >= (int)sizeof temp)
        return -1;
    FILE *f = fopen(temp, "we");
    if (!f)
        return -1;
    int failed = fputs(text, f) == EOF;
    failed |= fclose(f) == EOF;
    if (failed || rename(temp, done) == -1) {
        unlink(temp);
        return -1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    struct request req;
    unsigned com = 0;
    char result[PATH_MAX] = "";
    const struct command *cmd = parse(argc, argv, &req) == 0 ? check(&req, &com) : NULL;
    int status = cmd ? run(&req, cmd->op, com, result, sizeof result) : -1;

    char text[PATH_MAX + 16];
    if (status == 0) {
        if (result[0])
            printf("%s\n", result);
        snprintf(text, sizeof text, "ok%s%s\n", result[0] ? " " : "", result);
    } else {
        fprintf(stderr, "nullmodemctl: %s\n", ctl_message());
        if (!cmd)
            fputs(usage, stderr);
        snprintf(text, sizeof text, "error: %s\n", ctl_message());
    }
    if (req.done && write_done(req.done, text) == -1) {
        fprintf(stderr, "nullmodemctl: cannot write %s: %s\n", req.done, strerror(errno));
        return 1;
    }
    return status == 0 ? 0 : !cmd ? 2 : 1;
}
