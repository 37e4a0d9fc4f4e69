// Numbers of the library's dialog templates and of their controls. Shared by res/Mokacomm.rc and
// the dialog code, so it holds preprocessor macros only.
#ifndef MOKACOMM_RESOURCE_IDS_H
#define MOKACOMM_RESOURCE_IDS_H

#define IDD_COMM_SETTINGS 6000
#define IDD_PORT_SELECT 6001

// Template 6000
#define IDC_BAUD_RATE 6000
#define IDC_BYTE_SIZE 6001
#define IDC_STOP_BITS 6002
#define IDC_PARITY 6003

// Template 6001
#define IDC_PORT_LIST 6003

// Labels carry no id of their own.
#define IDC_LABEL 65535

#endif
