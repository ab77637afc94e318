#include "platform/SocketErrors.h"

#include <cerrno>

namespace platform {
namespace {

struct SocketErrorEntry {
  int number;
  const char* text;
};

constexpr SocketErrorEntry TABLE[] = {
    {10004, "WSAEINTR\nA blocking operation was interrupted by a call to WSACancelBlockingCall."},
    {10009, "WSAEBADF\nThe file handle supplied is not valid."},
    {10013,
     "WSAEACCES\nAn attempt was made to access a socket in a way forbidden by its access "
     "permissions."},
    {10014,
     "WSAEFAULT\nThe system detected an invalid pointer address in attempting to use a pointer "
     "argument in a call."},
    {10022, "WSAEINVAL\nAn invalid argument was supplied."},
    {10024, "WSAEMFILE\nToo many open sockets."},
    {10035, "WSAEWOULDBLOCK\nA non-blocking socket operation could not be completed immediately."},
    {10036, "WSAEINPROGRESS\nA blocking operation is currently executing."},
    {10037,
     "WSAEALREADY\nAn operation was attempted on a non-blocking socket that already had an "
     "operation in progress."},
    {10038, "WSAENOTSOCK\nAn operation was attempted on something that is not a socket."},
    {10039, "WSAEDESTADDRREQ\nA required address was omitted from an operation on a socket."},
    {10040,
     "WSAEMSGSIZE\nA message sent on a datagram socket was larger than the internal message "
     "buffer."},
    {10041,
     "WSAEPROTOTYPE\nA protocol was specified that does not support the semantics of the socket "
     "type requested."},
    {10042, "WSAENOPROTOOPT\nAn unknown, invalid, or unsupported option or level was specified."},
    {10043, "WSAEPROTONOSUPPORT\nThe requested protocol has not been configured into the system."},
    {10044,
     "WSAESOCKTNOSUPPORT\nThe support for the specified socket type does not exist in this address "
     "family."},
    {10045,
     "WSAEOPNOTSUPP\nThe attempted operation is not supported for the type of object referenced."},
    {10046, "WSAEPFNOSUPPORT\nThe protocol family has not been configured into the system."},
    {10047, "WSAEAFNOSUPPORT\nAn address incompatible with the requested protocol was used."},
    {10048, "WSAEADDRINUSE\nOnly one usage of each socket address is normally permitted."},
    {10049, "WSAEADDRNOTAVAIL\nThe requested address is not valid in its context."},
    {10050, "WSAENETDOWN\nA socket operation encountered a dead network."},
    {10051, "WSAENETUNREACH\nA socket operation was attempted to an unreachable network."},
    {10052,
     "WSAENETRESET\nThe connection has been broken due to keep-alive activity detecting a "
     "failure."},
    {10053,
     "WSAECONNABORTED\nAn established connection was aborted by the software in your host "
     "machine."},
    {10054, "WSAECONNRESET\nAn existing connection was forcibly closed by the remote host."},
    {10055, "WSAENOBUFS\nNo buffer space was available or a queue was full."},
    {10056, "WSAEISCONN\nA connect request was made on an already connected socket."},
    {10057, "WSAENOTCONN\nThe socket is not connected."},
    {10058, "WSAESHUTDOWN\nThe socket had already been shut down in that direction."},
    {10059, "WSAETOOMANYREFS\nToo many references to some kernel object."},
    {10060, "WSAETIMEDOUT\nThe connected party did not properly respond after a period of time."},
    {10061,
     "WSAECONNREFUSED\nNo connection could be made because the target machine actively refused "
     "it."},
    {10062, "WSAELOOP\nCannot translate name."},
    {10063, "WSAENAMETOOLONG\nName component or name was too long."},
    {10064, "WSAEHOSTDOWN\nA socket operation failed because the destination host was down."},
    {10065, "WSAEHOSTUNREACH\nA socket operation was attempted to an unreachable host."},
    {10066, "WSAENOTEMPTY\nCannot remove a directory that is not empty."},
    {10067, "WSAEPROCLIM\nToo many processes are using the sockets implementation."},
    {10068, "WSAEUSERS\nRan out of quota."},
    {10069, "WSAEDQUOT\nRan out of disk quota."},
    {10070, "WSAESTALE\nFile handle reference is no longer available."},
    {10071, "WSAEREMOTE\nItem is not available locally."},
    {10091,
     "WSASYSNOTREADY\nThe underlying network subsystem is not ready for network communication."},
    {10092, "WSAVERNOTSUPPORTED\nThe sockets version requested is not supported."},
    {10093, "WSANOTINITIALISED\nThe sockets implementation has not been started successfully."},
    {10101, "WSAEDISCON\nThe remote party has initiated a graceful shutdown sequence."},
    {10102, "WSAENOMORE\nNo more results can be returned."},
    {10103, "WSAECANCELLED\nA call was cancelled while it was still being processed."},
    {10104, "WSAEINVALIDPROCTABLE\nThe procedure call table is invalid."},
    {10105, "WSAEINVALIDPROVIDER\nThe requested service provider is invalid."},
    {10106,
     "WSAEPROVIDERFAILEDINIT\nThe requested service provider could not be loaded or initialised."},
    {10107, "WSASYSCALLFAILURE\nA system call that should never fail has failed."},
    {10108, "WSASERVICE_NOT_FOUND\nNo such service is known."},
    {10109, "WSATYPE_NOT_FOUND\nThe specified class was not found."},
    {10110, "WSA_E_NO_MORE\nNo more results can be returned."},
    {10111, "WSA_E_CANCELLED\nA call was cancelled while it was still being processed."},
    {10112, "WSAEREFUSED\nA database query failed because it was actively refused."},
    {11001, "WSAHOST_NOT_FOUND / HOST_NOT_FOUND\nNo such host is known."},
    {11002,
     "WSATRY_AGAIN / TRY_AGAIN\nThis is usually a temporary error during host name resolution; the "
     "name server did not answer."},
    {11003,
     "WSANO_RECOVERY / NO_RECOVERY\nA non-recoverable error occurred during a database lookup."},
    {11004,
     "WSANO_DATA / NO_DATA / WSANO_ADDRESS / NO_ADDRESS\nThe requested name is valid, but no data "
     "of the requested type was found."},
    {11005, "WSA_QOS_RECEIVERS\nAt least one reserve has arrived."},
    {11006, "WSA_QOS_SENDERS\nAt least one path has arrived."},
    {11007, "WSA_QOS_NO_SENDERS\nThere are no senders."},
    {11008, "WSA_QOS_NO_RECEIVERS\nThere are no receivers."},
    {11009, "WSA_QOS_REQUEST_CONFIRMED\nThe reserve has been confirmed."},
    {11010, "WSA_QOS_ADMISSION_FAILURE\nError due to lack of resources."},
    {11011, "WSA_QOS_POLICY_FAILURE\nRejected for administrative reasons: bad credentials."},
    {11012, "WSA_QOS_BAD_STYLE\nUnknown or conflicting style."},
    {11013,
     "WSA_QOS_BAD_OBJECT\nA problem was met with some part of the filter spec or provider-specific "
     "buffer."},
    {11014, "WSA_QOS_TRAFFIC_CTRL_ERROR\nA problem was met with some part of the flow spec."},
    {11015, "WSA_QOS_GENERIC_ERROR\nA general quality-of-service error."},
};

struct ErrnoMapping {
  int err;
  int socketError;
};

constexpr ErrnoMapping ERRNO_MAP[] = {
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EPERM, 10013},        {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},       {ENFILE, 10024},          {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},      {ENOTCONN, 10057},        {ESHUTDOWN, 10058},
    {EPIPE, 10058},        {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061}, {ELOOP, 10062},           {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
    {EUSERS, 10068},       {EDQUOT, 10069},          {ESTALE, 10070},
    {EREMOTE, 10071},
};

thread_local int t_lastSocketError = 0;

}  // namespace

int SocketErrorFromErrno(int err) {
  for (const auto& mapping : ERRNO_MAP) {
    if (mapping.err == err) return mapping.socketError;
  }
  return err;
}

int LastSocketError() { return t_lastSocketError; }

void SetLastSocketError(int error) { t_lastSocketError = error; }

std::string SocketErrorText(int error) {
  for (const auto& entry : TABLE) {
    if (entry.number == error) return entry.text;
  }
  return "Unknown socket error.";
}

std::string SocketErrorText() { return SocketErrorText(t_lastSocketError); }

int SocketErrorTableSize() { return static_cast<int>(std::size(TABLE)); }

}  // namespace platform
