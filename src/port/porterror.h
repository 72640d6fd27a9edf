// Error numbers a port keeps as its last error.
//
// The port kinds report the numbers the rest of the program already knows
// (the view and the tests compare against them), whatever the OS. The device
// layer of each OS turns its own error numbers into these through one table.
#pragma once

#include <cstdint>
#include <string>

inline constexpr uint32_t kPortErrFileNotFound = 2;
inline constexpr uint32_t kPortErrPathNotFound = 3;
inline constexpr uint32_t kPortErrAccessDenied = 5;
inline constexpr uint32_t kPortErrInvalidHandle = 6;
inline constexpr uint32_t kPortErrNotEnoughMemory = 8;
inline constexpr uint32_t kPortErrGenFailure = 31;
inline constexpr uint32_t kPortErrSharingViolation = 32;
inline constexpr uint32_t kPortErrNotSupported = 50;
inline constexpr uint32_t kPortErrInvalidParameter = 87;
inline constexpr uint32_t kPortErrBrokenPipe = 109;
inline constexpr uint32_t kPortErrBusy = 170;
inline constexpr uint32_t kPortErrOperationAborted = 995;
inline constexpr uint32_t kPortErrIoPending = 997;
inline constexpr uint32_t kPortErrFileInvalid = 1006; // the printer kind, written to while closed
inline constexpr uint32_t kPortErrDeviceNotConnected = 1167;
inline constexpr uint32_t kPortErrAlreadyInitialized = 1247;

inline constexpr uint32_t kSockErrInterrupted = 10004;
inline constexpr uint32_t kSockErrWouldBlock = 10035;
inline constexpr uint32_t kSockErrInProgress = 10036;
inline constexpr uint32_t kSockErrInvalid = 10022;
inline constexpr uint32_t kSockErrAddrNotAvailable = 10049;
inline constexpr uint32_t kSockErrNetUnreachable = 10051;
inline constexpr uint32_t kSockErrConnAborted = 10053;
inline constexpr uint32_t kSockErrConnReset = 10054;
inline constexpr uint32_t kSockErrNotConnected = 10057;
inline constexpr uint32_t kSockErrTimedOut = 10060;
inline constexpr uint32_t kSockErrConnRefused = 10061;
inline constexpr uint32_t kSockErrHostUnreachable = 10065;
inline constexpr uint32_t kSockErrHostNotFound = 11001;
inline constexpr uint32_t kSockErrTooManySockets = 10024;
inline constexpr uint32_t kSockErrFamilyNotSupported = 10047;
inline constexpr uint32_t kSockErrAddrInUse = 10048;
inline constexpr uint32_t kSockErrNetDown = 10050;
inline constexpr uint32_t kSockErrNoBuffers = 10055;
inline constexpr uint32_t kSockErrHostDown = 10064;
inline constexpr uint32_t kSockErrTryAgain = 11002;
inline constexpr uint32_t kSockErrNoRecovery = 11003;

// What the user is told about a device that would not open, from the port
// error of the failed open: 5 is a refusal of permission; 32 (another opener
// holds the lock) and 170 (the driver's own "busy") mean it is in use.
enum class OpenRefusal
{
    Other,
    InUse,
    NoPermission
};
constexpr OpenRefusal OpenRefusalOf(uint32_t portError)
{
    if (portError == kPortErrAccessDenied)
        return OpenRefusal::NoPermission;
    if (portError == kPortErrSharingViolation || portError == kPortErrBusy)
        return OpenRefusal::InUse;
    return OpenRefusal::Other;
}

// The OS error of a failed file or device call, as a port error number.
uint32_t PortErrorFromSystem(int osError);
// The OS error of a failed socket call, as a socket error number.
uint32_t SocketErrorFromSystem(int osError);
// True when a failed device call says the device itself has gone (unplugged,
// hung up), which the kinds report as "port lost".
bool IsDeviceGoneError(int osError);
// The OS's own text for its error, for traces.
std::string SystemErrorText(int osError);
// The OS's text and name of its error, for people: "No such file or
// directory (ENOENT)".
std::string SystemErrorWords(int osError);
// A port or socket error number in the OS's own words and name, for people:
// "Connection refused (ECONNREFUSED)", "Name or service not known
// (EAI_NONAME)". Empty for a number the tables do not hold (the spooler's
// errors, which only the printer kind knows, among them).
std::string SystemErrorDescription(uint32_t error);
