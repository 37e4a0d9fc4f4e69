#include "OutputPane.h"

namespace {

const UINT kCodePage = 932;
// The pane keeps the last lines only; past the limit the older half goes.
const LRESULT kMaxLines = 2000;

bool IsTrailByte(unsigned char byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// ASCII, and the half-width katakana of code page 932.
bool IsSingleByteText(unsigned char byte)
{
    return (byte >= 0x20 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xDF);
}

} // namespace

OutputPane::OutputPane() : edit(nullptr), used(0), lead(0), afterCr(false), lineStart(true) {}

void OutputPane::Attach(HWND control)
{
    edit = control;
    // Without this an edit control takes 32767 characters at most.
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
}

void OutputPane::ShowReceived(const char* data, unsigned long length)
{
    for (unsigned long i = 0; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(data[i]);
        if (lead) {
            const unsigned char first = lead;
            lead = 0;
            if (IsTrailByte(byte)) {
                const char pair[2] = {static_cast<char>(first), static_cast<char>(byte)};
                Put(pair, 2);
                continue;
            }
            PutHex(first);
        }
        const bool lineFeedOfCrLf = afterCr && byte == '\n';
        afterCr = byte == '\r';
        if (lineFeedOfCrLf)
            continue;
        if (byte == '\r' || byte == '\n')
            BreakLine();
        else if (IsDBCSLeadByteEx(kCodePage, byte))
            lead = byte;
        else if (IsSingleByteText(byte))
            Put(&data[i], 1);
        else
            PutHex(byte);
    }
    Flush();
}

void OutputPane::ShowSent(const char* text)
{
    StartOwnLine();
    Put("> ", 2);
    Put(text, lstrlenA(text));
    BreakLine();
    Flush();
}

void OutputPane::ShowNote(const char* text)
{
    StartOwnLine();
    Put("[", 1);
    Put(text, lstrlenA(text));
    Put("]", 1);
    BreakLine();
    Flush();
}

void OutputPane::Put(const char* text, int length)
{
    // One byte stays free for the terminating NUL.
    const int capacity = static_cast<int>(sizeof pending) - 1;
    while (length > 0) {
        if (used == capacity)
            Flush();
        const int room = capacity - used;
        const int part = length < room ? length : room;
        CopyMemory(pending + used, text, part);
        used += part;
        text += part;
        length -= part;
    }
    lineStart = false;
}

void OutputPane::PutHex(unsigned char byte)
{
    char hex[8];
    Put(hex, wsprintfA(hex, "<%02X>", byte));
}

void OutputPane::BreakLine()
{
    Put("\r\n", 2);
    lineStart = true;
}

void OutputPane::StartOwnLine()
{
    if (lead) {
        PutHex(lead);
        lead = 0;
    }
    afterCr = false;
    if (!lineStart)
        BreakLine();
}

void OutputPane::Flush()
{
    if (used == 0)
        return;
    pending[used] = '\0';
    used = 0;
    SelectEnd();
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pending));

    const LRESULT lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    if (lines > kMaxLines) {
        const LRESULT cut =
            SendMessageA(edit, EM_LINEINDEX, static_cast<WPARAM>(lines - kMaxLines / 2), 0);
        SendMessageA(edit, EM_SETSEL, 0, cut);
        SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        SelectEnd();
    }
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

void OutputPane::SelectEnd()
{
    // A position past the end means the end, and the length in bytes is never short of it.
    const WPARAM end = static_cast<WPARAM>(GetWindowTextLengthA(edit));
    SendMessageA(edit, EM_SETSEL, end, end);
}
