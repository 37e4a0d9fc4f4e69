// printf into a fixed buffer, cut to fit and always terminated.
#ifndef MOKACOMM_TESTS_FORMAT_H
#define MOKACOMM_TESTS_FORMAT_H

#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>

template <size_t N>
void Format(char (&out)[N], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    _vsnprintf(out, N - 1, format, arguments);
    va_end(arguments);
    out[N - 1] = '\0';
}

#endif
