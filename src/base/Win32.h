// The one place that includes <windows.h>, with the project's settings.
#ifndef MOKACOMM_WIN32_H
#define MOKACOMM_WIN32_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601 // Windows 7: CancelIoEx, SRW locks and condition variables
#endif

#include <windows.h>

#endif
