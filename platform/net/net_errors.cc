// errno to WinSock error numbers, and the compile-time proof that the numbers
// the POSIX-side files use (ws_constants.h) are the public ones.
#include "net/net_errors.h"

#include <errno.h>

#include "net/ws_constants.h"
#include "platform/winbase.h"
#include "platform/winsock.h"

namespace plat::net {

namespace {

struct ErrorPair {
  int error;
  int wsaError;
};

// EBADF means a descriptor that is not ours: WinSock calls that "not a socket".
// Errors without a WinSock counterpart (EIO, ENODEV, ...) come out as WSAENETDOWN,
// WinSock's word for a failure below the sockets layer.
constexpr ErrorPair kErrors[] = {
    {EINTR, WSAEINTR},
    {EBADF, WSAENOTSOCK},
    {EACCES, WSAEACCES},
    {EPERM, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {ENFILE, WSAEMFILE},
    {EAGAIN, WSAEWOULDBLOCK},
    {EINPROGRESS, WSAEINPROGRESS},
    {EALREADY, WSAEALREADY},
    {ENOTSOCK, WSAENOTSOCK},
    {EDESTADDRREQ, WSAEDESTADDRREQ},
    {EMSGSIZE, WSAEMSGSIZE},
    {EPROTOTYPE, WSAEPROTOTYPE},
    {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP},
    {EPFNOSUPPORT, WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED},
    {ECONNRESET, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ENOMEM, WSAENOBUFS},
    {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},
    {ESHUTDOWN, WSAESHUTDOWN},
    {ETOOMANYREFS, WSAETOOMANYREFS},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {ELOOP, WSAELOOP},
    {ENAMETOOLONG, WSAENAMETOOLONG},
    {EHOSTDOWN, WSAEHOSTDOWN},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
    {ENOTEMPTY, WSAENOTEMPTY},
    {EUSERS, WSAEUSERS},
    {EDQUOT, WSAEDQUOT},
    {ESTALE, WSAESTALE},
    {EREMOTE, WSAEREMOTE},
};

}  // namespace

int WsaErrorFromErrno(int error) {
  for (const ErrorPair& e : kErrors) {
    if (e.error == error) return e.wsaError;
  }
  return WSAENETDOWN;
}

int FailErrno(int error) {
  return FailWsa(WsaErrorFromErrno(error));
}

int FailWsa(int wsaError) {
  SetLastError((DWORD)wsaError);
  return SOCKET_ERROR;
}

static_assert(ws::kInvalidSocket == INVALID_SOCKET && ws::kSocketError == SOCKET_ERROR);
static_assert(ws::kAfInet == AF_INET && ws::kSockStream == SOCK_STREAM &&
              ws::kSockDgram == SOCK_DGRAM && ws::kIpProtoTcp == IPPROTO_TCP &&
              ws::kIpProtoUdp == IPPROTO_UDP);
static_assert(ws::kNotInitialised == WSANOTINITIALISED && ws::kHostNotFound == WSAHOST_NOT_FOUND &&
              ws::kTryAgain == WSATRY_AGAIN && ws::kNoRecovery == WSANO_RECOVERY &&
              ws::kNoData == WSANO_DATA);
static_assert(ws::kSolSocket == SOL_SOCKET && ws::kSoAcceptConn == SO_ACCEPTCONN &&
              ws::kSoReuseAddr == SO_REUSEADDR && ws::kSoKeepAlive == SO_KEEPALIVE &&
              ws::kSoDontRoute == SO_DONTROUTE && ws::kSoBroadcast == SO_BROADCAST &&
              ws::kSoLinger == SO_LINGER && ws::kSoOobInline == SO_OOBINLINE &&
              ws::kSoDontLinger == (int)SO_DONTLINGER && ws::kSoSndBuf == SO_SNDBUF &&
              ws::kSoRcvBuf == SO_RCVBUF && ws::kSoError == SO_ERROR && ws::kSoType == SO_TYPE &&
              ws::kTcpNoDelay == TCP_NODELAY);
static_assert(sizeof(ws::Linger) == sizeof(linger));
static_assert(ws::kMsgOob == MSG_OOB && ws::kMsgPeek == MSG_PEEK &&
              ws::kMsgDontRoute == MSG_DONTROUTE);
static_assert(ws::kFionbio == FIONBIO && ws::kFionread == FIONREAD);
static_assert(ws::kFdRead == FD_READ && ws::kFdAccept == FD_ACCEPT && ws::kFdClose == FD_CLOSE);

}  // namespace plat::net
