#include "port/porterror.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <utility>

namespace {

struct ErrnoRow
{
    int osError;
    uint32_t portError;
};

// errno -> file and device errors.
constexpr ErrnoRow kSystemTable[] = {
    {ENOENT, kPortErrFileNotFound},
    {ENOTDIR, kPortErrPathNotFound},
    {EACCES, kPortErrAccessDenied},
    {EPERM, kPortErrAccessDenied},
    {EBADF, kPortErrInvalidHandle},
    {ENOMEM, kPortErrNotEnoughMemory},
    {EWOULDBLOCK, kPortErrSharingViolation}, // flock held by another opener
    {EBUSY, kPortErrBusy},
    {ENOTTY, kPortErrNotSupported},
    {ENOSYS, kPortErrNotSupported},
    {EOPNOTSUPP, kPortErrNotSupported},
    {EINVAL, kPortErrInvalidParameter},
    {EPIPE, kPortErrBrokenPipe},
    {EIO, kPortErrDeviceNotConnected},
    {ENXIO, kPortErrDeviceNotConnected},
    {ENODEV, kPortErrDeviceNotConnected},
    {ECANCELED, kPortErrOperationAborted},
};

// errno -> socket errors.
constexpr ErrnoRow kSocketTable[] = {
    {EINTR, kSockErrInterrupted},
    {EWOULDBLOCK, kSockErrWouldBlock},
    {EINPROGRESS, kSockErrInProgress},
    {EINVAL, kSockErrInvalid},
    {EADDRNOTAVAIL, kSockErrAddrNotAvailable},
    {ENETUNREACH, kSockErrNetUnreachable},
    {ECONNABORTED, kSockErrConnAborted},
    {ECONNRESET, kSockErrConnReset},
    {EPIPE, kSockErrConnReset},
    {ENOTCONN, kSockErrNotConnected},
    {ETIMEDOUT, kSockErrTimedOut},
    {ECONNREFUSED, kSockErrConnRefused},
    {EHOSTUNREACH, kSockErrHostUnreachable},
    {EMFILE, kSockErrTooManySockets},
    {EAFNOSUPPORT, kSockErrFamilyNotSupported},
    {EADDRINUSE, kSockErrAddrInUse},
    {ENETDOWN, kSockErrNetDown},
    {ENOBUFS, kSockErrNoBuffers},
    {EHOSTDOWN, kSockErrHostDown},
};

// Socket errors of the resolver -> its own codes.
struct ResolverRow
{
    uint32_t socketError;
    int code;
    const char *name;
};
constexpr ResolverRow kResolverTable[] = {
    {kSockErrHostNotFound, EAI_NONAME, "EAI_NONAME"},
    {kSockErrTryAgain, EAI_AGAIN, "EAI_AGAIN"},
    {kSockErrNoRecovery, EAI_FAIL, "EAI_FAIL"},
};

// The first errno a table maps to `error` (the tables map many to one), or 0.
template <std::size_t N> int Reverse(const ErrnoRow (&table)[N], uint32_t error)
{
    for (const ErrnoRow &row : table) {
        if (row.portError == error)
            return row.osError;
    }
    return 0;
}

template <std::size_t N> uint32_t Lookup(const ErrnoRow (&table)[N], int osError, uint32_t fallback)
{
    for (const ErrnoRow &row : table) {
        if (row.osError == osError)
            return row.portError;
    }
    return fallback;
}

} // namespace

uint32_t PortErrorFromSystem(int osError)
{
    return Lookup(kSystemTable, osError, kPortErrGenFailure);
}

uint32_t SocketErrorFromSystem(int osError)
{
    return Lookup(kSocketTable, osError, kSockErrInvalid);
}

std::string SystemErrorText(int osError)
{
    return std::strerror(osError);
}

std::string SystemErrorWords(int osError)
{
    const char *name = strerrorname_np(osError);
    return std::strerror(osError) + std::string(" (") + (name ? name : "?") + ")";
}

bool IsDeviceGoneError(int osError)
{
    return osError == EIO || osError == ENXIO || osError == ENODEV;
}

std::string SystemErrorDescription(uint32_t error)
{
    for (const ResolverRow &row : kResolverTable) {
        if (row.socketError == error)
            return std::string(gai_strerror(row.code)) + " (" + row.name + ")";
    }
    const int osError =
        Reverse(kSystemTable, error) ? Reverse(kSystemTable, error) : Reverse(kSocketTable, error);
    return osError == 0 ? std::string() : SystemErrorWords(osError);
}
