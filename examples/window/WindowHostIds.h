// Ids of the window host's menu, its commands and its controls. Plain macros: the resource
// script includes this file too.
#ifndef MOKACOMM_WINDOW_HOST_IDS_H
#define MOKACOMM_WINDOW_HOST_IDS_H

#define IDR_TERMINAL_MENU 100

// Menu commands. Ids 1 and 2 are IDOK and IDCANCEL, which the dialog manager sends on Enter and
// Escape.
#define IDM_PORT 1001
#define IDM_SETTINGS 1002
#define IDM_CLOSE 1003
#define IDM_EXIT 1004

// Controls of the main window.
#define IDC_OUTPUT 2001
#define IDC_INPUT 2002
#define IDC_SEND 2003
#define IDC_LINE_END 2004
#define IDC_DTR 2005
#define IDC_RTS 2006
#define IDC_BREAK 2007
#define IDC_LINES 2008
#define IDC_MESSAGE 2009

#endif
