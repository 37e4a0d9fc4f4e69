// The CCommLib port of a COM number, as the rig hands them out: COM1 is PORT_COM1.
#ifndef MOKACOMM_TESTS_COM_PORT_H
#define MOKACOMM_TESTS_COM_PORT_H

#include "Mokacomm.h"

inline CCommLib::PORT PortOf(int com)
{
    return static_cast<CCommLib::PORT>(com - 1);
}

#endif
