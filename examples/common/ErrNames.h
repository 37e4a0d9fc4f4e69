// The name of each CCommLib::ERR code, for messages.
#ifndef MOKACOMM_EXAMPLE_ERR_NAMES_H
#define MOKACOMM_EXAMPLE_ERR_NAMES_H

#include "Mokacomm.h"

inline const char* ErrName(CCommLib::ERR code)
{
    static const char* const names[] = {
        "ERR_OK",           "ERR_ALREADY",          "ERR_EXISTS",         "ERR_BAD_PORT",
        "ERR_OPEN_FAILED",  "ERR_SET_MASK",         "ERR_SETUP",          "ERR_PURGE",
        "ERR_TIMEOUTS",     "ERR_GET_STATE",        "ERR_SET_STATE",      "ERR_SYSTEM",
        "ERR_THREAD",       "ERR_THREAD_ABANDONED", "ERR_THREAD_TIMEOUT", "ERR_THREAD_WAIT",
        "ERR_NOT_OPEN",     "ERR_SHORT_WRITE",      "ERR_IO",
    };
    const unsigned i = static_cast<unsigned>(code);
    return i < sizeof names / sizeof names[0] ? names[i] : "(unknown ERR)";
}

#endif
