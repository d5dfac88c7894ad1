// Active mode: we listen, the server connects. Whoever reaches the listening port
// first would otherwise feed or read the transfer, so only a connection from the
// control connection's peer address is taken; any other is closed unread.
#include "transfer/data_connection.h"

#include <stdio.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/report.h"
#include "transfer/data_waits.h"

namespace {

bool FailPreparing(UINT message, SOCKET s) {
  ReportMessage(message, SocketErrorText(WSAGetLastError()));
  if (s != INVALID_SOCKET) closesocket(s);
  session.listenSocket = INVALID_SOCKET;
  return false;
}

bool SendPort() {
  const auto* a = (const unsigned char*)&session.dataAddress.sin_addr.s_addr;
  u_short port = ntohs(session.dataAddress.sin_port);
  char command[48];
  snprintf(command, sizeof command, "PORT %d,%d,%d,%d,%d,%d", a[0], a[1], a[2], a[3], port >> 8,
           port & 0xff);
  int replyClass = SendCommand("%s", command);
  if (replyClass == kReplyError) ReportMessage(kMsgPortRefused, command, kReplyError);
  return replyClass == kReplyComplete;
}

bool FromServer(const sockaddr_in& peer) {
  return peer.sin_addr.s_addr == session.remoteAddress.sin_addr.s_addr;
}

AcceptOutcome FailAccepting(int error) {
  ReportMessage(kMsgAcceptError, SocketErrorText(error));
  CloseListenSocket();
  return AcceptOutcome::kFailed;
}

}  // namespace

void CloseListenSocket() {
  CloseSocket(&session.listenSocket);
}

void CloseDataSocket() {
  CloseSocket(&session.dataSocket);
}

bool PrepareDataConnection() {
  session.dataAddress = session.localControlAddress;
  if (session.sendPort) session.dataAddress.sin_port = 0;
  CloseListenSocket();
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return FailPreparing(kMsgDataSocketError, s);
  BOOL on = TRUE;
  if (!session.sendPort &&
      setsockopt(s, SOL_SOCKET, SO_REUSEADDR, (const char*)&on, sizeof on) != 0)
    return FailPreparing(kMsgReuseAddressError, s);
  if (bind(s, (const sockaddr*)&session.dataAddress, sizeof session.dataAddress) != 0)
    return FailPreparing(kMsgBindError, s);
  int length = sizeof session.dataAddress;
  if (getsockname(s, (sockaddr*)&session.dataAddress, &length) != 0)
    return FailPreparing(kMsgDataGetsocknameError, s);
  if (listen(s, 1) != 0) ReportMessage(kMsgListenError, SocketErrorText(WSAGetLastError()));
  // Non-blocking: accept only takes a connection already made; the waiting is
  // select's, which watches the control connection as well.
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  session.listenSocket = s;
  if (!session.sendPort) return true;
  if (SendPort()) return true;
  CloseListenSocket();
  return false;
}

// The control connection is watched as well: a server that answers with its final
// reply instead of connecting (150, then 425) would otherwise leave us waiting. A
// connection already made is taken first, though: a server may connect, send all
// its data and give its final reply before we get here.
AcceptOutcome AcceptDataConnection() {
  bool controlReady = session.replyIndex < session.replyCount;  // read ahead
  for (;;) {
    // A cancel that came before the wait began has no wait to end.
    if (session.abortRequested) return FailAccepting(WSAEINTR);
    sockaddr_in peer = {};
    int length = sizeof peer;
    SOCKET s = accept(session.listenSocket, (sockaddr*)&peer, &length);
    if (s != INVALID_SOCKET) {
      if (!FromServer(peer)) {
        closesocket(s);
        continue;
      }
      CloseListenSocket();
      u_long nonBlocking = 1;
      if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        ReportMessage(kMsgDataNonBlockError, SocketErrorText(WSAGetLastError()));
        closesocket(s);
        return AcceptOutcome::kFailed;
      }
      session.dataSocket = s;
      return AcceptOutcome::kConnected;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) return FailAccepting(WSAGetLastError());
    if (controlReady) {
      if (ReadReply(false) != kReplyPreliminary) {
        CloseListenSocket();
        return AcceptOutcome::kServerEnded;
      }
      controlReady = session.replyIndex < session.replyCount;
      continue;
    }
    unsigned ready;
    SOCKET watched[2] = {session.listenSocket, session.controlSocket};
    if (WaitForSockets(watched, 2, false, kNoTimeLimit, &ready) < 0)
      return FailAccepting(WSAGetLastError());
    controlReady = (ready & 2) != 0;
  }
}
