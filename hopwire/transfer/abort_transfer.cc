// Aborting a retrieval as RFC 959 asks: Telnet IP and Synch (IAC as urgent data,
// then DM) ahead of ABOR. Many servers read ABOR only once their transfer ends, so
// the data connection is closed before the replies are awaited: left open and
// unread, it would keep such a server writing, each side waiting for the other.
#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "platform/winbase.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/report.h"
#include "transfer/data_connection.h"
#include "transfer/data_waits.h"

namespace {

constexpr char kInterrupt[] = {'\xff', '\xf4', '\xff'};  // IAC IP IAC
constexpr int kDataMark = 242;
constexpr long kAbortWaitMs = 10000;
constexpr int kDrainPiece = 512;

// What has arrived of the data; a server that sends faster than we read is not
// followed beyond the abort's own time limit.
void Drain(SOCKET data) {
  char piece[kDrainPiece];
  DWORD start = GetTickCount();
  while (recv(data, piece, sizeof piece, 0) > 0) {
    if (GetTickCount() - start > (DWORD)kAbortWaitMs) return;
  }
}

}  // namespace

void AbortTransfer(SOCKET data) {
  if (send(session.controlSocket, kInterrupt, sizeof kInterrupt, MSG_OOB) < (int)sizeof kInterrupt)
    ReportMessage(kMsgAbortUrgentError, SocketErrorText(WSAGetLastError()));
  if (SendRaw("%cABOR\r\n", kDataMark) <= 0)
    ReportMessage(kMsgAbortCommandError, SocketErrorText(WSAGetLastError()));

  unsigned ready = 1;  // a reply already read ahead answers at once
  if (session.replyIndex >= session.replyCount) {
    SOCKET watched[2] = {session.controlSocket, data};
    int waited = WaitForSockets(watched, 2, false, kAbortWaitMs, &ready);
    if (waited < 0) ReportMessage(kMsgAbortEmptyingError, SocketErrorText(WSAGetLastError()));
    if (waited <= 0) DropConnection();
  }
  if (data != INVALID_SOCKET && data == session.dataSocket) {
    if (ready & 2) Drain(data);
    CloseDataSocket();
  }

  // A server that reports storage trouble first has one reply more.
  if (ReadReply(false) == kReplyError && session.replyCode == 552) ReadReply(false);
  ReadReply(false);
}
