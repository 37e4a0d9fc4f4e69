// The output pane: a read-only edit control with what came in and what went out. Received bytes
// are read as code page 932 text, like every text of the host: printable characters (double-byte
// ones included) appear as they are, a line end (CR, LF or CR LF) as a line break, any other byte
// as <XX> in hex.
#ifndef MOKACOMM_WINDOW_OUTPUT_PANE_H
#define MOKACOMM_WINDOW_OUTPUT_PANE_H

#include <windows.h>

class OutputPane {
public:
    OutputPane();
    OutputPane(const OutputPane&) = delete;
    OutputPane& operator=(const OutputPane&) = delete;

    void Attach(HWND edit);
    void ShowReceived(const char* data, unsigned long length);
    // A sent line, as "> text" on a line of its own.
    void ShowSent(const char* text);
    // A remark of the host's own, as "[text]" on a line of its own.
    void ShowNote(const char* text);

private:
    void Put(const char* text, int length);
    void PutHex(unsigned char byte);
    void BreakLine();
    // Ends a received line that is still open, so that the host's own line starts afresh.
    void StartOwnLine();
    void Flush();
    void SelectEnd();

    HWND edit;
    char pending[2048];
    int used;
    // The first byte of a double-byte character whose second byte has not come yet.
    unsigned char lead;
    bool afterCr;   // the last byte was a CR: an LF now ends the same line
    bool lineStart; // nothing is on the last line yet
};

#endif
