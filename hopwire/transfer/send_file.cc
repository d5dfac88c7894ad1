// Stores: a local file sent unchanged over the data connection (an ASCII store
// sends the file's own CR LF line ends). An abandoned store sends no ABOR: closing
// the data connection ends it, and the server's reply to the store is read.
#include <errno.h>
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/interpreter.h"
#include "platform/io.h"
#include "shell/message_ids.h"
#include "shell/progress.h"
#include "shell/report.h"
#include "transfer/data_connection.h"
#include "transfer/data_waits.h"
#include "transfer/transfer.h"
#include "transfer/transfer_count.h"

namespace {

constexpr int kReadSize = kTransferBufferSize;  // of the local file at a time

// Waits until the data connection takes more. A transfer command waits as long as
// the server takes, telling the controller each time a minute passes.
bool AwaitRoom(SOCKET data) {
  for (;;) {
    if (session.abortRequested && PollDuringTransfer() == PollResult::kAbort) return false;
    unsigned ready;
    int waited = WaitForSockets(&data, 1, true, PeerSilenceLimitMs(), &ready);
    if (waited > 0) return true;
    if (waited < 0 && PollDuringTransfer() == PollResult::kAbort) return false;
    ReportMessage(kMsgStoreNotResponding);
    if (waited < 0 || !session.waitForData) return false;
  }
}

bool SendBlock(const char* block, int size) {
  SOCKET data = session.dataSocket;
  int done = 0;
  while (done < size) {
    int sent = send(data, block + done, size - done, 0);
    if (sent > 0) {
      done += sent;
      continue;
    }
    int error = sent == 0 ? WSAEWOULDBLOCK : WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
      if (!AwaitRoom(data)) return false;
      continue;
    }
    if (error == WSAECONNRESET) {
      ReportMessage(kMsgStoreReset);
    } else {
      ReportMessage(kMsgStoreError, error);
    }
    return false;
  }
  return true;
}

// False when the transfer is to be abandoned; the end of the file, or a read
// error (told), completes it.
bool SendContents(int fd, const char* local, TransferCount* count) {
  for (;;) {
    int n = _read(fd, session.transferBuffer, kReadSize);
    if (n == 0) return true;
    if (n < 0) {
      ReportMessage(kMsgStoreReadError, local, strerror(errno));
      return true;
    }
    CountBytes(count, n);
    if (!SendBlock(session.transferBuffer, n)) return false;
    if (PollDuringTransfer() == PollResult::kAbort) return false;
  }
}

void Fail(int fd) {
  if (fd >= 0) _close(fd);
  session.replyCode = -1;
}

void Complete(int fd, const TransferCount& count) {
  DWORD ms = ElapsedMs(count);
  _close(fd);
  CloseDataSocket();
  int replyClass = ReadReply(false);
  TransferFinished(ProgressBytes(count), (LONG)ms);
  ReportTransferRate(kMsgSent, count, ms);
  if (replyClass != kReplyComplete) session.replyCode = -1;
}

void Abandon(int fd, const TransferCount& count) {
  CloseListenSocket();
  CloseDataSocket();
  ReadReply(false);
  session.replyCode = -1;
  _close(fd);
  DWORD ms = ElapsedMs(count);
  TransferFinished(ProgressBytes(count), (LONG)ms);
  ReportTransferRate(kMsgSentBeforeAbort, count, ms);
}

}  // namespace

void SendFile(const char* command, const char* local, const char* remote, bool showNames) {
  if (session.verbose && showNames) {
    if (strcmp(local, "-") != 0) ReportMessage(kMsgStoreLocalName, local);
    if (remote) ReportMessage(kMsgRemoteName, remote);
  }
  session.abortRequested = false;  // a cancel meant for an earlier command
  if (session.currentType != session.transferType) SetTransferType(session.transferType, false);
  int fd = _open(local, _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    ReportMessage(kMsgStoreOpenError, local, strerror(errno));
    return Fail(-1);
  }
  struct _stat status;
  if (_fstat(fd, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
    ReportMessage(kMsgNotPlainFile, local);
    return Fail(fd);
  }
  if (!PrepareDataConnection()) return Fail(fd);
  int replyClass = remote ? SendCommand("%s %s", command, remote) : SendCommand("%s", command);
  if (replyClass != kReplyPreliminary) {
    CloseListenSocket();
    return Fail(fd);
  }
  TransferCount count = {0, GetTickCount()};
  switch (AcceptDataConnection()) {
    case AcceptOutcome::kServerEnded:
      return Fail(fd);
    case AcceptOutcome::kFailed:
      return Abandon(fd, count);
    case AcceptOutcome::kConnected:
      break;
  }
  count.start = GetTickCount();
  TransferStarted();
  bool sends = session.currentType == kTypeAscii || session.currentType == kTypeBinary ||
               session.currentType == kTypeTenex;
  if (sends && !SendContents(fd, local, &count)) return Abandon(fd, count);
  Complete(fd, count);
}
