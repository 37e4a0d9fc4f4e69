Attribute VB_Name = "MokacommC"
' MokacommC.dll from VBA (Office 2010 and later, 32- or 64-bit) and from Visual Basic 6: the
' declarations of its functions, a loop that waits for a port's events (VBA), and the window
' procedure through which a Visual Basic 6 form gets them as messages.
'
' How to use it:
' - Import this module (File > Import File in the VBA editor or in the VB6 IDE) and put
'   MokacommC.dll where Windows finds it: beside the program (VB6), or in a folder on the PATH or
'   named in full in the Lib clauses (Office). The DLL's architecture is Office's (32- or 64-bit);
'   Visual Basic 6 is 32-bit.
' - Visual Basic cannot take a call on another thread, so the callbacks are not for it: use
'   waiting (WatchPort below, or MokacommWaitEvent with a time-out of 0 from a timer) or, in VB6,
'   window messages (MokacommSubclass and MokacommWindowProc below).
' - Port numbers: COMk is k - 1. Texts: use MokacommGetPortNameW for what the user reads.
' The names and numbers are those of MokacommC.h, which says what each function does.
Option Explicit

Public Const MOKACOMM_ERR_OK As Long = 0
Public Const MOKACOMM_ERR_TIMEOUT As Long = 23
Public Const MOKACOMM_PORT_NONE As Long = 32
Public Const MOKACOMM_EVENT_RX As Long = 1
Public Const MOKACOMM_EVENT_LINE As Long = 2
Public Const MOKACOMM_EVENT_TX_END As Long = 3
Public Const MOKACOMM_EVENT_ERROR As Long = 4
Public Const MOKACOMM_EVENT_OVERFLOW As Long = 5
' The window message of the events: WM_APP + 1.
Public Const MOKACOMM_MESSAGE As Long = &H8001&

Public Type DCB
    DCBlength As Long
    BaudRate As Long
    Flags As Long
    wReserved As Integer
    XonLim As Integer
    XoffLim As Integer
    ByteSize As Byte
    Parity As Byte
    StopBits As Byte
    XonChar As Byte
    XoffChar As Byte
    ErrorChar As Byte
    EofChar As Byte
    EvtChar As Byte
    wReserved1 As Integer
End Type

Public Type MOKACOMM_SETTINGS
    size As Long
    baudRate As Long
    dataBits As Long
    parity As Long
    stopBits As Long
    flowControl As Long
End Type

Public Type MOKACOMM_EVENT
    size As Long
    kind As Long
    value As Long
    statusFlags As Long
    statusInQueue As Long
    statusOutQueue As Long
End Type

#If VBA7 Then
Public Declare PtrSafe Function MokacommVersion Lib "MokacommC.dll" () As Long
Public Declare PtrSafe Function MokacommCreate Lib "MokacommC.dll" (ByRef port As LongPtr, ByVal outQueueSize As Long, ByVal inQueueSize As Long) As Long
Public Declare PtrSafe Sub MokacommDestroy Lib "MokacommC.dll" (ByVal port As LongPtr)
Public Declare PtrSafe Function MokacommOpen Lib "MokacommC.dll" (ByVal port As LongPtr, ByVal number As Long) As Long
Public Declare PtrSafe Function MokacommClose Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommSendText Lib "MokacommC.dll" (ByVal port As LongPtr, ByVal text As String) As Long
Public Declare PtrSafe Function MokacommSend Lib "MokacommC.dll" (ByVal port As LongPtr, ByRef data As Byte, ByVal length As Long, ByRef written As Long) As Long
Public Declare PtrSafe Function MokacommReceive Lib "MokacommC.dll" (ByVal port As LongPtr, ByRef buffer As Byte, ByVal length As Long, ByRef received As Long) As Long
Public Declare PtrSafe Function MokacommSetDCB Lib "MokacommC.dll" (ByVal port As LongPtr, ByRef settings As DCB) As Long
Public Declare PtrSafe Function MokacommGetDCB Lib "MokacommC.dll" (ByVal port As LongPtr, ByRef settings As DCB) As Long
Public Declare PtrSafe Function MokacommSetSettings Lib "MokacommC.dll" (ByVal port As LongPtr, ByRef settings As MOKACOMM_SETTINGS) As Long
Public Declare PtrSafe Function MokacommGetSettings Lib "MokacommC.dll" (ByVal port As LongPtr, ByRef settings As MOKACOMM_SETTINGS) As Long
Public Declare PtrSafe Function MokacommGetPort Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommGetHandle Lib "MokacommC.dll" (ByVal port As LongPtr) As LongPtr
Public Declare PtrSafe Function MokacommGetLastError Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommGetLineStat Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommSetLineStat Lib "MokacommC.dll" (ByVal port As LongPtr, ByVal code As Long) As Long
Public Declare PtrSafe Function MokacommSelectPort Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommSettingDlg Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommGetPortNameA Lib "MokacommC.dll" (ByVal number As Long, ByVal portName As String, ByVal size As Long) As Long
Public Declare PtrSafe Function MokacommGetPortNameW Lib "MokacommC.dll" (ByVal number As Long, ByVal portName As LongPtr, ByVal size As Long) As Long
Public Declare PtrSafe Function MokacommSetCallbacks Lib "MokacommC.dll" (ByVal port As LongPtr, ByVal rxCallback As LongPtr, ByVal lineCallback As LongPtr, ByVal txEndCallback As LongPtr, ByVal errorCallback As LongPtr, ByVal context As LongPtr) As Long
Public Declare PtrSafe Function MokacommSetWindow Lib "MokacommC.dll" (ByVal port As LongPtr, ByVal window As LongPtr, ByVal message As Long) As Long
Public Declare PtrSafe Function MokacommSetQueue Lib "MokacommC.dll" (ByVal port As LongPtr) As Long
Public Declare PtrSafe Function MokacommWaitEvent Lib "MokacommC.dll" (ByVal port As LongPtr, ByVal timeout As Long, ByRef e As MOKACOMM_EVENT) As Long
#Else
Public Declare Function MokacommVersion Lib "MokacommC.dll" () As Long
Public Declare Function MokacommCreate Lib "MokacommC.dll" (ByRef port As Long, ByVal outQueueSize As Long, ByVal inQueueSize As Long) As Long
Public Declare Sub MokacommDestroy Lib "MokacommC.dll" (ByVal port As Long)
Public Declare Function MokacommOpen Lib "MokacommC.dll" (ByVal port As Long, ByVal number As Long) As Long
Public Declare Function MokacommClose Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommSendText Lib "MokacommC.dll" (ByVal port As Long, ByVal text As String) As Long
Public Declare Function MokacommSend Lib "MokacommC.dll" (ByVal port As Long, ByRef data As Byte, ByVal length As Long, ByRef written As Long) As Long
Public Declare Function MokacommReceive Lib "MokacommC.dll" (ByVal port As Long, ByRef buffer As Byte, ByVal length As Long, ByRef received As Long) As Long
Public Declare Function MokacommSetDCB Lib "MokacommC.dll" (ByVal port As Long, ByRef settings As DCB) As Long
Public Declare Function MokacommGetDCB Lib "MokacommC.dll" (ByVal port As Long, ByRef settings As DCB) As Long
Public Declare Function MokacommSetSettings Lib "MokacommC.dll" (ByVal port As Long, ByRef settings As MOKACOMM_SETTINGS) As Long
Public Declare Function MokacommGetSettings Lib "MokacommC.dll" (ByVal port As Long, ByRef settings As MOKACOMM_SETTINGS) As Long
Public Declare Function MokacommGetPort Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommGetHandle Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommGetLastError Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommGetLineStat Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommSetLineStat Lib "MokacommC.dll" (ByVal port As Long, ByVal code As Long) As Long
Public Declare Function MokacommSelectPort Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommSettingDlg Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommGetPortNameA Lib "MokacommC.dll" (ByVal number As Long, ByVal portName As String, ByVal size As Long) As Long
Public Declare Function MokacommGetPortNameW Lib "MokacommC.dll" (ByVal number As Long, ByVal portName As Long, ByVal size As Long) As Long
Public Declare Function MokacommSetCallbacks Lib "MokacommC.dll" (ByVal port As Long, ByVal rxCallback As Long, ByVal lineCallback As Long, ByVal txEndCallback As Long, ByVal errorCallback As Long, ByVal context As Long) As Long
Public Declare Function MokacommSetWindow Lib "MokacommC.dll" (ByVal port As Long, ByVal window As Long, ByVal message As Long) As Long
Public Declare Function MokacommSetQueue Lib "MokacommC.dll" (ByVal port As Long) As Long
Public Declare Function MokacommWaitEvent Lib "MokacommC.dll" (ByVal port As Long, ByVal timeout As Long, ByRef e As MOKACOMM_EVENT) As Long
#End If

#If Win64 Then
Private Declare PtrSafe Function SetWindowLongPtr Lib "user32" Alias "SetWindowLongPtrA" (ByVal hwnd As LongPtr, ByVal index As Long, ByVal newLong As LongPtr) As LongPtr
#ElseIf VBA7 Then
Private Declare PtrSafe Function SetWindowLongPtr Lib "user32" Alias "SetWindowLongA" (ByVal hwnd As LongPtr, ByVal index As Long, ByVal newLong As LongPtr) As LongPtr
#Else
Private Declare Function SetWindowLongPtr Lib "user32" Alias "SetWindowLongA" (ByVal hwnd As Long, ByVal index As Long, ByVal newLong As Long) As Long
#End If
#If VBA7 Then
Private Declare PtrSafe Function CallWindowProc Lib "user32" Alias "CallWindowProcA" (ByVal previous As LongPtr, ByVal hwnd As LongPtr, ByVal msg As Long, ByVal wParam As LongPtr, ByVal lParam As LongPtr) As LongPtr
Private previousProc As LongPtr
#Else
Private Declare Function CallWindowProc Lib "user32" Alias "CallWindowProcA" (ByVal previous As Long, ByVal hwnd As Long, ByVal msg As Long, ByVal wParam As Long, ByVal lParam As Long) As Long
Private previousProc As Long
#End If
Private Const GWL_WNDPROC As Long = -4

' "COM5", or the Japanese for "disconnected", as Visual Basic's own Unicode text.
Public Function MokacommPortName(ByVal number As Long) As String
    Dim text As String
    text = String$(6, vbNullChar)
    If MokacommGetPortNameW(number, StrPtr(text), 6) = MOKACOMM_ERR_OK Then
        MokacommPortName = Left$(text, InStr(text, vbNullChar) - 1)
    End If
End Function

' Waiting (VBA): prints what COMk receives for `seconds` seconds in the Immediate window.
Public Sub WatchPort(ByVal com As Long, ByVal seconds As Long)
#If VBA7 Then
    Dim port As LongPtr
#Else
    Dim port As Long
#End If
    Dim e As MOKACOMM_EVENT
    Dim buffer() As Byte
    Dim received As Long
    Dim finish As Date
    If MokacommCreate(port, 1024, 1024) <> MOKACOMM_ERR_OK Then Exit Sub
    If MokacommSetQueue(port) = MOKACOMM_ERR_OK And MokacommOpen(port, com - 1) = MOKACOMM_ERR_OK Then
        e.size = LenB(e)
        finish = DateAdd("s", seconds, Now)
        Do While Now < finish
            ' A short time-out, so that Office stays responsive.
            If MokacommWaitEvent(port, 100, e) = MOKACOMM_ERR_OK Then
                If e.kind = MOKACOMM_EVENT_RX And e.value > 0 Then
                    ReDim buffer(0 To e.value - 1)
                    If MokacommReceive(port, buffer(0), e.value, received) = MOKACOMM_ERR_OK And received > 0 Then
                        ReDim Preserve buffer(0 To received - 1)
                        Debug.Print StrConv(buffer, vbUnicode);
                    End If
                ElseIf e.kind = MOKACOMM_EVENT_LINE Then
                    Debug.Print "[lines &H" & Hex$(e.value) & "]"
                End If
            End If
            DoEvents
        Loop
    End If
    MokacommDestroy port
End Sub

' Window messages (VB6): in the form's Load, MokacommSubclass Me.hWnd, then
' MokacommSetWindow(port, Me.hWnd, MOKACOMM_MESSAGE) and MokacommOpen; the events reach the
' form's Public Sub OnPortEvent(ByVal kind As Long, ByVal value As Long) on its own thread. In
' Unload, MokacommDestroy the port first, then MokacommUnsubclass Me.hWnd.
#If VBA7 Then
Public Sub MokacommSubclass(ByVal hwnd As LongPtr)
#Else
Public Sub MokacommSubclass(ByVal hwnd As Long)
#End If
    previousProc = SetWindowLongPtr(hwnd, GWL_WNDPROC, AddressOf MokacommWindowProc)
End Sub

#If VBA7 Then
Public Sub MokacommUnsubclass(ByVal hwnd As LongPtr)
#Else
Public Sub MokacommUnsubclass(ByVal hwnd As Long)
#End If
    SetWindowLongPtr hwnd, GWL_WNDPROC, previousProc
End Sub

#If VBA7 Then
Public Function MokacommWindowProc(ByVal hwnd As LongPtr, ByVal msg As Long, ByVal wParam As LongPtr, ByVal lParam As LongPtr) As LongPtr
#Else
Public Function MokacommWindowProc(ByVal hwnd As Long, ByVal msg As Long, ByVal wParam As Long, ByVal lParam As Long) As Long
#End If
    If msg = MOKACOMM_MESSAGE Then
        Forms(0).OnPortEvent CLng(wParam), CLng(lParam)
        MokacommWindowProc = 0
    Else
        MokacommWindowProc = CallWindowProc(previousProc, hwnd, msg, wParam, lParam)
    End If
End Function
