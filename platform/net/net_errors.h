// How the layer's socket code reports failures. Code that sees the POSIX
// headers speaks errno; the table in net_errors.cc turns it into the WSAE*
// number WSAGetLastError gives, which is the thread's last-error value as in Win32.
#pragma once

namespace plat::net {

int WsaErrorFromErrno(int error);

// Both set the last error and return SOCKET_ERROR (-1) for the caller to pass on.
int FailErrno(int error);
int FailWsa(int wsaError);  // a WinSock number as it is

}  // namespace plat::net
