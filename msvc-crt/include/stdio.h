/* Wine's stdio.h for the Microsoft-ABI build. Its stdin, stdout and stderr are the UCRT's
 * (__acrt_iob_func), which msvcrt.dll does not have; msvcrt.dll's are the first three of its
 * _iob array. */
#ifndef MOKACOMM_MSVC_STDIO_H
#define MOKACOMM_MSVC_STDIO_H

#include_next <stdio.h>

#undef stdin
#undef stdout
#undef stderr
#define stdin (_iob + 0)
#define stdout (_iob + 1)
#define stderr (_iob + 2)

#endif
