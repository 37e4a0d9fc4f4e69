// Windows-side client of the virtual null-modem rig: a test makes a pair of connected COM
// ports and drives what the far side of the cable does.
//
// Every call starts the native command nullmodemctl (its Linux path is in MOKACOMM_RIG_CTL)
// through CreateProcessA. Under Wine such a process can be neither waited for nor asked for
// its exit code, so each call waits, about 5 s at most, for the command's done-file and reports
// failure instead of hanging.
#pragma once

#include <string>

class NullModemPair {
public:
    enum LineError { Framing, Parity, Overrun };

    // Makes the pair (nullmodemctl up, tagged with MOKACOMM_RIG_SESSION): check Ok().
    NullModemPair();
    // Tears the pair down (nullmodemctl down).
    ~NullModemPair();
    NullModemPair(const NullModemPair&) = delete;
    NullModemPair& operator=(const NullModemPair&) = delete;

    bool Ok() const { return comA_ != 0; }
    // Why the last call failed.
    const std::string& Error() const { return error_; }

    // The two COM numbers, joined by the cable; 0 when the pair could not be made.
    int ComA() const { return comA_; }
    int ComB() const { return comB_; }
    // "\\.\COMn", for CreateFileA.
    static std::string DeviceName(int com);

    // Unplugs the pair: both ptys disappear, the COM numbers stay reserved.
    bool Vanish();
    // Plugs a vanished pair in again: new devices under the same COM numbers.
    bool Restore();

    // RING and DCD as the port com sees them. SetDcd overrides the peer's DTR until
    // ReleaseDcd lets it drive DCD again.
    bool SetRing(int com, bool on);
    bool SetDcd(int com, bool on);
    bool ReleaseDcd(int com);

    // An event arriving at com: a break, or a receive error.
    bool Break(int com);
    bool InjectError(int com, LineError kind);

    // Linux path of com's pty, for a Linux-side program that plays that end instead of a
    // Windows port; empty on failure.
    std::string LinuxPath(int com);

private:
    // Runs nullmodemctl with args; true when it answered "ok", with the rest in *result.
    bool Run(const std::string& args, std::string* result = nullptr);
    bool RunOn(const char* command, int com, const char* extra = nullptr);

    int comA_ = 0;
    int comB_ = 0;
    std::string error_;
};
