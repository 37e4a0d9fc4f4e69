/* Wine's winbase.h for the Microsoft-ABI build, mended where it differs from the Windows SDK's in
 * what the library's interface and behaviour depend on.
 */
#ifndef MOKACOMM_MSVC_WINBASE_H
#define MOKACOMM_MSVC_WINBASE_H

/* Microsoft decorations carry a struct's tag, and the SDK tags these _DCB and _COMSTAT where Wine
 * has tagDCB and tagCOMSTAT: unmapped, SetDCB, GetDCB and EventError would be exported under
 * names that no host built with the SDK links. */
#define tagDCB _DCB
#define tagCOMSTAT _COMSTAT

#include_next <winbase.h>

/* Wine keeps the baud rate codes of 16-bit Windows (CBR_9600 is 0xFF16); the SDK's CBR_ values
 * are the rates themselves, which is what hosts pass and read back in DCB.BaudRate. */
#undef CBR_110
#undef CBR_300
#undef CBR_600
#undef CBR_1200
#undef CBR_2400
#undef CBR_4800
#undef CBR_9600
#undef CBR_14400
#undef CBR_19200
#undef CBR_38400
#undef CBR_56000
#undef CBR_57600
#undef CBR_115200
#undef CBR_128000
#undef CBR_256000
#define CBR_110 110
#define CBR_300 300
#define CBR_600 600
#define CBR_1200 1200
#define CBR_2400 2400
#define CBR_4800 4800
#define CBR_9600 9600
#define CBR_14400 14400
#define CBR_19200 19200
#define CBR_38400 38400
#define CBR_56000 56000
#define CBR_57600 57600
#define CBR_115200 115200
#define CBR_128000 128000
#define CBR_256000 256000

#endif
