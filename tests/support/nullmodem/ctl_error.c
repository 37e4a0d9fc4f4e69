#include "ctl_error.h"

#include <stdarg.h>
#include <stdio.h>

static char message[512];

int ctl_fail(const char *format, ...)
{
    if (!message[0]) {
        va_list ap;
        va_start(ap, format);
        vsnprintf(message, sizeof message, format, ap);
        va_end(ap);
    }
    return -1;
}

const char *ctl_message(void)
{
    return message[0] ? message : "failed";
}
