// MokacommC.dll from C# (.NET Framework 4 or .NET 6 and later, Windows Forms): the declarations of
// its functions, a form that gets a port's events as window messages, and a port whose events
// come as callbacks.
//
// How to use it:
// - Add this file to the project, and put MokacommC.dll beside the program: the x86 DLL for a
//   32-bit process, the x64 one for a 64-bit process. A project built for "Any CPU" runs as
//   either: set its platform (or "Prefer 32-bit") to the DLL you ship.
// - Window messages suit a form: the events come on the form's thread, where it may touch its
//   controls (PortForm below). new PortForm(5) shows what COM5 receives.
// - Callbacks come on the port's event thread: keep each delegate in a field for as long as the
//   port may call it, since the garbage collector does not know that the DLL holds it, and reach
//   a form with BeginInvoke (CallbackPort below). Destroying the port ends its callbacks.
// - The waiting way (MokacommSetQueue, MokacommWaitEvent) suits a worker thread or a console.
// The names and numbers are those of MokacommC.h, which says what each function does.
using System;
using System.Runtime.InteropServices;
using System.Text;
using System.Windows.Forms;

namespace Mokacomm
{
    // The platform's DCB: its bit-fields are one uint (fBinary is bit 0, ...).
    [StructLayout(LayoutKind.Sequential)]
    public struct DCB
    {
        public uint DCBlength, BaudRate, Flags;
        public ushort wReserved, XonLim, XoffLim;
        public byte ByteSize, Parity, StopBits;
        public byte XonChar, XoffChar, ErrorChar, EofChar, EvtChar;
        public ushort wReserved1;
    }

    [StructLayout(LayoutKind.Sequential)]
    public struct COMSTAT
    {
        public uint Flags, cbInQue, cbOutQue;
    }

    [StructLayout(LayoutKind.Sequential)]
    public struct MOKACOMM_SETTINGS
    {
        public uint size, baudRate, dataBits, parity, stopBits, flowControl;
    }

    [StructLayout(LayoutKind.Sequential)]
    public struct MOKACOMM_EVENT
    {
        public uint size, kind, value;
        public COMSTAT status;
    }

    [UnmanagedFunctionPointer(CallingConvention.StdCall)]
    public delegate void MokacommRxCallback(IntPtr context, uint bytesInQueue);
    [UnmanagedFunctionPointer(CallingConvention.StdCall)]
    public delegate void MokacommLineCallback(IntPtr context, uint modemStatus);
    [UnmanagedFunctionPointer(CallingConvention.StdCall)]
    public delegate void MokacommTxEndCallback(IntPtr context);
    [UnmanagedFunctionPointer(CallingConvention.StdCall)]
    public delegate void MokacommErrorCallback(IntPtr context, ref COMSTAT status, uint errors);

    public static class MokacommC
    {
        public const int ErrOk = 0, ErrNotOpen = 16, ErrTimeout = 23;
        public const int PortNone = 32, PortNameSize = 6;
        public const uint EventRx = 1, EventLine = 2, EventTxEnd = 3, EventError = 4, EventOverflow = 5;
        public const uint FlowRtsCts = 1, FlowDtrDsr = 2, FlowXonXoff = 4;

        const string Dll = "MokacommC.dll";

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern uint MokacommVersion();
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommCreate(out IntPtr port, uint outQueueSize, uint inQueueSize);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern void MokacommDestroy(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommOpen(IntPtr port, int number);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommClose(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSendText(IntPtr port, [MarshalAs(UnmanagedType.LPStr)] string text);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSend(IntPtr port, byte[] data, uint length, out uint written);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommReceive(IntPtr port, [Out] byte[] buffer, uint length, out uint received);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSetDCB(IntPtr port, ref DCB settings);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommGetDCB(IntPtr port, out DCB settings);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSetSettings(IntPtr port, ref MOKACOMM_SETTINGS settings);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommGetSettings(IntPtr port, ref MOKACOMM_SETTINGS settings);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommGetPort(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern IntPtr MokacommGetHandle(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern uint MokacommGetLastError(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern uint MokacommGetLineStat(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSetLineStat(IntPtr port, uint function);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSelectPort(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSettingDlg(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommGetPortNameA(int number, [Out] byte[] name, uint size);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true, CharSet = CharSet.Unicode)]
        public static extern int MokacommGetPortNameW(int number, StringBuilder name, uint size);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSetCallbacks(IntPtr port, MokacommRxCallback rx, MokacommLineCallback line,
                                                      MokacommTxEndCallback txEnd, MokacommErrorCallback error,
                                                      IntPtr context);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSetWindow(IntPtr port, IntPtr window, uint message);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommSetQueue(IntPtr port);
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern int MokacommWaitEvent(IntPtr port, uint timeout, ref MOKACOMM_EVENT e);

        // "COM5", or the Japanese for "disconnected", readable whatever the system's code page.
        public static string PortName(int number)
        {
            var name = new StringBuilder(PortNameSize);
            MokacommGetPortNameW(number, name, PortNameSize);
            return name.ToString();
        }

        public static void Check(int result, string what)
        {
            if (result != ErrOk)
                throw new InvalidOperationException(what + " failed with MokacommC result " + result);
        }
    }

    // A form that shows what a port receives, with its events as window messages.
    public class PortForm : Form
    {
        const int EventMessage = 0x8000 + 1; // WM_APP + 1
        readonly TextBox output = new TextBox { Multiline = true, ReadOnly = true, Dock = DockStyle.Fill };
        readonly int number;
        IntPtr port;

        public PortForm(int com)
        {
            number = com - 1;
            Text = MokacommC.PortName(number);
            Controls.Add(output);
            MokacommC.Check(MokacommC.MokacommCreate(out port, 1024, 1024), "MokacommCreate");
        }

        // The window exists from here on: its events go to it, then the port opens.
        protected override void OnHandleCreated(EventArgs e)
        {
            base.OnHandleCreated(e);
            MokacommC.Check(MokacommC.MokacommSetWindow(port, Handle, EventMessage), "MokacommSetWindow");
            MokacommC.Check(MokacommC.MokacommOpen(port, number), "MokacommOpen");
        }

        protected override void WndProc(ref Message m)
        {
            if (m.Msg == EventMessage)
                OnPortEvent((uint)m.WParam.ToInt64(), (uint)m.LParam.ToInt64());
            else
                base.WndProc(ref m);
        }

        void OnPortEvent(uint kind, uint value)
        {
            if (kind == MokacommC.EventRx) {
                var buffer = new byte[value];
                uint received;
                if (MokacommC.MokacommReceive(port, buffer, value, out received) == MokacommC.ErrOk)
                    output.AppendText(Encoding.ASCII.GetString(buffer, 0, (int)received));
            } else if (kind == MokacommC.EventLine) {
                output.AppendText(string.Format("[lines 0x{0:X2}]", value));
            }
        }

        // Destroying closes the port; messages still queued for the window are dropped with it.
        protected override void OnFormClosed(FormClosedEventArgs e)
        {
            MokacommC.MokacommDestroy(port);
            port = IntPtr.Zero;
            base.OnFormClosed(e);
        }
    }

    // A port whose received bytes come as callbacks, on the port's event thread.
    public sealed class CallbackPort : IDisposable
    {
        readonly MokacommRxCallback onRx; // held while the DLL may call it
        readonly Action<byte[]> received;
        IntPtr port;

        public CallbackPort(int com, Action<byte[]> received)
        {
            this.received = received;
            onRx = OnRx;
            MokacommC.Check(MokacommC.MokacommCreate(out port, 1024, 1024), "MokacommCreate");
            MokacommC.Check(MokacommC.MokacommSetCallbacks(port, onRx, null, null, null, IntPtr.Zero),
                            "MokacommSetCallbacks");
            MokacommC.Check(MokacommC.MokacommOpen(port, com - 1), "MokacommOpen");
        }

        public void Send(string text)
        {
            MokacommC.Check(MokacommC.MokacommSendText(port, text), "MokacommSendText");
        }

        void OnRx(IntPtr context, uint bytesInQueue)
        {
            var buffer = new byte[bytesInQueue];
            uint got;
            if (MokacommC.MokacommReceive(port, buffer, bytesInQueue, out got) == MokacommC.ErrOk) {
                Array.Resize(ref buffer, (int)got);
                received(buffer);
            }
        }

        // After MokacommDestroy no callback comes: the delegate may go with this object.
        public void Dispose()
        {
            MokacommC.MokacommDestroy(port);
            port = IntPtr.Zero;
        }
    }
}
