// Connecting: a dotted address, or a name's addresses tried in turn until one
// accepts. The socket is not bound first: the host's own name may resolve to an
// address the route to the server cannot use, so the system picks the source, and
// the connected socket's own end is what the data connections will announce.
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/report.h"

namespace {

constexpr int kMaxAddresses = 16;

struct Addresses {
  uint32_t address[kMaxAddresses];  // network order
  int count;
};

void CopyHostName(const char* name) {
  strncpy(session.hostName, name, kHostNameSize - 1);
  session.hostName[kHostNameSize - 1] = 0;
}

// The host entry lives in WinSock's static storage until the next look-up, so its
// addresses are copied out at once.
bool FindAddresses(const char* host, Addresses* found) {
  found->count = 0;
  uint32_t dotted = (uint32_t)inet_addr(host);
  if (dotted != INADDR_NONE) {
    found->address[found->count++] = dotted;
    CopyHostName(host);
    return true;
  }
  const hostent* entry = gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
      !entry->h_addr_list[0]) {
    ReportMessage(kMsgLookupFailed, host);
    session.replyCode = -1;
    return false;
  }
  for (char** a = entry->h_addr_list; *a && found->count < kMaxAddresses; ++a)
    memcpy(&found->address[found->count++], *a, 4);
  CopyHostName(entry->h_name ? entry->h_name : host);
  return true;
}

const char* Dotted(uint32_t address) {
  in_addr a{address};
  return inet_ntoa(a);
}

const char* Fail(SOCKET s) {
  closesocket(s);
  session.replyCode = -1;
  return nullptr;
}

// Connects s, or a new socket for each further address; the connected socket or
// INVALID_SOCKET (with its line).
SOCKET ConnectToOne(SOCKET s, const Addresses& found) {
  for (int next = 1;; ++next) {
    if (connect(s, (const sockaddr*)&session.remoteAddress, sizeof session.remoteAddress) == 0)
      return s;
    int error = WSAGetLastError();
    // A cancelled connect ends the attempt: the controller asked to stop, not to
    // wait for the next address.
    if (next >= found.count || error == WSAEINTR) {
      ReportMessage(kMsgConnectError, SocketErrorText(error));
      Fail(s);
      return INVALID_SOCKET;
    }
    ReportMessage(kMsgConnectAddressFailed, Dotted(session.remoteAddress.sin_addr.s_addr));
    session.remoteAddress.sin_addr.s_addr = found.address[next];
    ReportMessage(kMsgTrying, Dotted(found.address[next]));
    closesocket(s);
    s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) {
      ReportMessage(kMsgSocketCreateError, SocketErrorText(WSAGetLastError()));
      session.replyCode = -1;
      return INVALID_SOCKET;
    }
  }
}

}  // namespace

const char* ConnectToHost(const char* host, u_short port) {
  memset(&session.remoteAddress, 0, sizeof session.remoteAddress);
  Addresses found;
  if (!FindAddresses(host, &found)) return nullptr;
  session.remoteAddress.sin_family = AF_INET;
  session.remoteAddress.sin_addr.s_addr = found.address[0];

  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    ReportMessage(kMsgSocketError, SocketErrorText(WSAGetLastError()));
    session.replyCode = -1;
    return nullptr;
  }
  session.remoteAddress.sin_port = port;
  if (found.address[0] == INADDR_NONE) return Fail(s);

  s = ConnectToOne(s, found);
  if (s == INVALID_SOCKET) return nullptr;
  int length = sizeof session.localControlAddress;
  if (getsockname(s, (sockaddr*)&session.localControlAddress, &length) != 0) {
    ReportMessage(kMsgGetsocknameError, SocketErrorText(WSAGetLastError()));
    return Fail(s);
  }
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    ReportMessage(kMsgNonBlockError, SocketErrorText(WSAGetLastError()));
    return Fail(s);
  }

  session.controlSocket = s;
  if (session.verbose) ReportMessage(kMsgConnected, session.hostName);
  // What was read ahead belonged to the connection before.
  ResetReplyReader();
  int replyClass = ReadReply(false);
  if (replyClass < kReplyPreliminary || replyClass > kReplyComplete) {
    session.controlSocket = INVALID_SOCKET;
    return Fail(s);
  }
  BOOL oobInline = TRUE;
  setsockopt(s, SOL_SOCKET, SO_OOBINLINE, (const char*)&oobInline, sizeof oobInline);
  return session.hostName;
}
