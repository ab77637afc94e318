#pragma once
// Socket failures are reported to the operator with the classic socket error
// names and numbers (10061 WSAECONNREFUSED ...), whatever the local errno says,
// so texts and traces read the same on every platform.

#include <string>

namespace platform {

inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAEISCONN = 10056;
inline constexpr int WSAENOTCONN = 10057;
inline constexpr int WSAETIMEDOUT = 10060;
inline constexpr int WSAECONNREFUSED = 10061;
inline constexpr int WSAHOST_NOT_FOUND = 11001;

// The socket error number for an errno value (0 stays 0; unmapped values map to
// themselves, which the text table then reports as unknown).
int SocketErrorFromErrno(int err);
// The socket error of the last failed socket call on this thread.
int LastSocketError();
// Records the socket error of a failed call (from errno, or given directly).
void SetLastSocketError(int error);

// "NAME\nExplanation." for a socket error number; "Unknown socket error." otherwise.
std::string SocketErrorText(int error);
// The text of the last socket error on this thread.
std::string SocketErrorText();
// How many entries the table has (for a consistency test).
int SocketErrorTableSize();

}  // namespace platform
