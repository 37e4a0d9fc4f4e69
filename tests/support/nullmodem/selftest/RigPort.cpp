#include "RigPort.h"

#include "NullModem.h"

namespace {

bool Transfer(HANDLE h, bool write, void* data, DWORD n, DWORD ms, DWORD* error)
{
    DWORD scratch;
    if (!error)
        error = &scratch;
    OVERLAPPED ov = {};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    BOOL ok = write ? WriteFile(h, data, n, &done, &ov) : ReadFile(h, data, n, &done, &ov);
    *error = ok ? 0 : GetLastError();
    if (!ok && *error == ERROR_IO_PENDING) {
        if (WaitForSingleObject(ov.hEvent, ms) != WAIT_OBJECT_0) {
            CancelIoEx(h, &ov);
            GetOverlappedResult(h, &ov, &done, TRUE);
            CloseHandle(ov.hEvent);
            *error = WAIT_TIMEOUT;
            return false;
        }
        ok = GetOverlappedResult(h, &ov, &done, FALSE);
        *error = ok ? 0 : GetLastError();
    }
    CloseHandle(ov.hEvent);
    if (ok && done != n)
        *error = ERROR_MORE_DATA;
    return ok && done == n;
}

}  // namespace

RigPort::RigPort(int com)
    : handle_(CreateFileA(NullModemPair::DeviceName(com).c_str(), GENERIC_READ | GENERIC_WRITE,
                          0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr)),
      openError_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0)
{
    if (!IsOpen())
        return;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (GetCommState(handle_, &dcb)) {
        dcb.BaudRate = CBR_115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
        dcb.fOutX = dcb.fInX = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        SetCommState(handle_, &dcb);
    }
}

RigPort::~RigPort()
{
    Close();
}

void RigPort::Close()
{
    if (IsOpen())
        CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool RigPort::Write(const void* data, DWORD n, DWORD ms, DWORD* error)
{
    return Transfer(handle_, true, const_cast<void*>(data), n, ms, error);
}

bool RigPort::Read(void* data, DWORD n, DWORD ms, DWORD* error)
{
    return Transfer(handle_, false, data, n, ms, error);
}

DWORD RigPort::ModemStatus() const
{
    DWORD status = 0;
    return GetCommModemStatus(handle_, &status) ? status : ~0u;
}

CommWait::CommWait(HANDLE port) : port_(port), request_(new Request())
{
    request_->ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (WaitCommEvent(port_, &request_->events, &request_->ov)) {
        succeeded_ = true;
        return;
    }
    error_ = GetLastError();
    pending_ = error_ == ERROR_IO_PENDING;
    if (pending_)
        error_ = 0;
}

CommWait::~CommWait()
{
    if (pending_ && !Finish(0)) {
        DWORD mask = 0;
        GetCommMask(port_, &mask);
        SetCommMask(port_, mask);
        if (!Finish(2000))
            return;  // still in use by the wait: leaked on purpose
    }
    CloseHandle(request_->ov.hEvent);
    delete request_;
}

bool CommWait::Finish(DWORD ms)
{
    if (!pending_)
        return true;
    if (WaitForSingleObject(request_->ov.hEvent, ms) != WAIT_OBJECT_0)
        return false;
    DWORD bytes = 0;
    succeeded_ = GetOverlappedResult(port_, &request_->ov, &bytes, FALSE);
    error_ = succeeded_ ? 0 : GetLastError();
    pending_ = false;
    return true;
}

std::string EventNames(DWORD mask)
{
    static const struct {
        DWORD bit;
        const char* name;
    } names[] = {
        {EV_RXCHAR, "RXCHAR"}, {EV_RXFLAG, "RXFLAG"}, {EV_TXEMPTY, "TXEMPTY"},
        {EV_CTS, "CTS"},       {EV_DSR, "DSR"},       {EV_RLSD, "RLSD"},
        {EV_BREAK, "BREAK"},   {EV_ERR, "ERR"},       {EV_RING, "RING"},
    };
    std::string text;
    for (const auto& n : names)
        if (mask & n.bit)
            text += (text.empty() ? "" : "|") + std::string(n.name);
    return text.empty() ? "none" : text;
}
