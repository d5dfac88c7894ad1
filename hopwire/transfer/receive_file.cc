// Retrievals and listings over the data connection, into a local file or, for the
// local name "-", to the controller line by line. Every way out closes what the
// transfer opened; a transfer that fails in any way leaves replyCode -1.
#include <errno.h>
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/interpreter.h"
#include "platform/io.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/progress.h"
#include "shell/report.h"
#include "transfer/data_connection.h"
#include "transfer/data_waits.h"
#include "transfer/line_ends.h"
#include "transfer/local_target.h"
#include "transfer/transfer.h"
#include "transfer/transfer_count.h"

namespace {

constexpr int kMaxListingLine = 125;  // characters of a line to the controller

enum class Ending { kComplete, kAbort, kBroken };

struct Receipt {
  const char* local;
  bool retrieval;
  bool toController;
  LocalTarget target;
  TransferCount count;
  LineEnds ends;
};

// Each byte may become two (a lone CR or LF becomes CR LF).
char converted[2 * kTransferBufferSize];

// The bytes written before the end, or before a write that takes nothing; -1
// (errno set) when a write fails.
long WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    int n = _write(fd, data + done, (unsigned)(size - done));
    if (n < 0) return -1;
    if (n == 0) break;
    done += (size_t)n;
  }
  return (long)done;
}

void ReportHeldLine() {
  memcpy(session.listingLine + session.listingLength, "\r\n", 3);
  session.listingLength = 0;
  ReportListingLine("%s", session.listingLine);
}

void ToController(Receipt* r, const char* data, int n) {
  SplitLines(
      &r->ends, data, (size_t)n,
      [](char c) {
        if (session.listingLength < kMaxListingLine)
          session.listingLine[session.listingLength++] = c;
      },
      ReportHeldLine);
}

bool ToFileAsLines(Receipt* r, const char* data, int n) {
  size_t out = 0;
  SplitLines(
      &r->ends, data, (size_t)n, [&](char c) { converted[out++] = c; },
      [&] {
        converted[out++] = '\r';
        converted[out++] = '\n';
      });
  if (WriteAll(r->target.fd, converted, out) == (long)out) return true;
  ReportMessage(kMsgAsciiWriteError);
  return false;
}

// Binary blocks go to the file whole; a full disk or another write failure ends
// the transfer, while a write that stops short without an error is only told.
bool ToFileAsIs(Receipt* r, const char* data, int n) {
  long done = WriteAll(r->target.fd, data, (size_t)n);
  if (done < 0) {
    if (errno == ENOSPC) {
      ReportMessage(kMsgNoSpace);
    } else {
      ReportMessage(kMsgBinaryWriteError, errno);
    }
    return false;
  }
  if (done == n) {
    CountBytes(&r->count, n);
  } else {
    ReportMessage(kMsgShortWrite, r->local);
  }
  return true;
}

// Waits for the next data. A transfer command waits as long as the server takes;
// a listing gives up after a minute of silence.
bool AwaitData(SOCKET data) {
  for (;;) {
    // A cancel that came before the wait began has no wait to end.
    if (session.abortRequested && PollDuringTransfer() == PollResult::kAbort) return false;
    unsigned ready;
    int waited = WaitForSockets(&data, 1, false, PeerSilenceLimitMs(), &ready);
    if (waited > 0) return true;
    if (waited == 0) {
      if (session.waitForData) continue;
      ReportMessage(kMsgPeerNotResponding);
      return false;
    }
    int error = WSAGetLastError();
    if (PollDuringTransfer() == PollResult::kAbort) return false;
    ReportMessage(kMsgDataConnectionError, SocketErrorText(error));
    return false;
  }
}

// The data until the server ends it: as lines (ASCII, and whatever goes to the
// controller) or as blocks. Each way tells a receive error its own way.
Ending ReceiveData(Receipt* r, bool asLines) {
  SOCKET data = session.dataSocket;
  for (;;) {
    if (!AwaitData(data)) return Ending::kAbort;
    for (;;) {
      int n = recv(data, session.transferBuffer, kTransferBufferSize, 0);
      if (n == 0) return Ending::kComplete;
      if (n < 0) {
        int error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) break;
        if (asLines) {
          if (error != WSAECONNRESET) return Ending::kBroken;
          ReportMessage(kMsgDataReset);
          ReportMessage(kMsgPeerNotResponding);
        } else {
          ReportMessage(kMsgDataConnectionError, SocketErrorText(error));
          CountFailure(&r->count);
        }
        return Ending::kAbort;
      }
      if (asLines) {
        CountBytes(&r->count, n);
        if (r->toController) {
          ToController(r, session.transferBuffer, n);
        } else if (!ToFileAsLines(r, session.transferBuffer, n)) {
          return Ending::kAbort;
        }
      } else if (!ToFileAsIs(r, session.transferBuffer, n)) {
        return Ending::kAbort;
      }
      if (PollDuringTransfer() == PollResult::kAbort) return Ending::kAbort;
    }
  }
}

int Fail(Receipt* r) {
  CloseLocalTarget(&r->target);
  session.replyCode = -1;
  return 0;
}

// The server has sent everything; its final reply says whether it all went well.
// A line to the controller that the data ended without a line end is still told.
int Complete(Receipt* r) {
  if (r->toController && session.listingLength > 0) ReportHeldLine();
  CloseLocalTarget(&r->target);
  DWORD ms = ElapsedMs(r->count);
  CloseDataSocket();
  int replyClass = ReadReply(false);
  TransferFinished(ProgressBytes(r->count), (LONG)ms);
  if (r->retrieval) ReportTransferRate(kMsgReceived, r->count, ms);
  if (replyClass == kReplyComplete) return 1;
  session.replyCode = -1;
  return 0;
}

int Abort(Receipt* r) {
  AbortTransfer(session.dataSocket);
  session.replyCode = -1;
  DWORD ms = ElapsedMs(r->count);
  CloseListenSocket();
  CloseLocalTarget(&r->target);
  CloseDataSocket();
  TransferFinished(ProgressBytes(r->count), (LONG)ms);
  ReportTransferRate(kMsgReceived, r->count, ms);
  return 0;
}

// A data connection that failed in an unexpected way ends without ABOR.
int Broken(Receipt* r) {
  CloseDataSocket();
  CloseLocalTarget(&r->target);
  CloseListenSocket();
  DWORD ms = ElapsedMs(r->count);
  TransferFinished(ProgressBytes(r->count), (LONG)ms);
  ReportTransferRate(kMsgReceivedAfterError, r->count, ms);
  session.replyCode = -1;
  return 0;
}

}  // namespace

int ReceiveFile(const char* command, const char* local, const char* remote, const char*,
                bool showNames) {
  Receipt r = {};
  r.local = local;
  r.retrieval = strcmp(command, "RETR") == 0;
  r.toController = strcmp(local, "-") == 0;
  r.count.start = GetTickCount();
  session.listingLength = 0;
  session.abortRequested = false;  // a cancel meant for an earlier command
  if (r.retrieval && session.verbose && showNames) {
    if (!r.toController) ReportMessage(kMsgLocalName, local);
    if (remote) ReportMessage(kMsgRemoteName, remote);
  }
  if (!r.toController && local[0] != '|' && !CheckLocalTarget(local, &r.target)) return Fail(&r);
  if (r.retrieval) {
    if (session.currentType != session.transferType) SetTransferType(session.transferType, false);
  } else if (session.currentType != kTypeAscii) {
    SetTransferType(kTypeAscii, false);  // listings always run in ASCII
  }
  if (!PrepareDataConnection()) {
    ReportMessage(kMsgInitconnError);
    return Fail(&r);
  }
  int replyClass = remote ? SendCommand("%s %s", command, remote) : SendCommand("%s", command);
  if (replyClass != kReplyPreliminary) {
    CloseListenSocket();
    return Fail(&r);
  }
  switch (AcceptDataConnection()) {
    case AcceptOutcome::kServerEnded:
      return Fail(&r);
    case AcceptOutcome::kFailed:
      return Abort(&r);
    case AcceptOutcome::kConnected:
      break;
  }
  if (!r.toController && !OpenLocalTarget(local, &r.target)) return Abort(&r);

  r.count.start = GetTickCount();
  TransferStarted();
  Ending ending = Ending::kComplete;  // EBCDIC: nothing is read
  if (session.currentType == kTypeAscii) {
    ending = ReceiveData(&r, true);
  } else if (session.currentType == kTypeBinary || session.currentType == kTypeTenex) {
    // There is no file to write a binary retrieval for the controller into: it
    // is told as lines too.
    ending = ReceiveData(&r, r.toController);
  }
  switch (ending) {
    case Ending::kComplete:
      return Complete(&r);
    case Ending::kAbort:
      return Abort(&r);
    case Ending::kBroken:
      return Broken(&r);
  }
  return 0;
}
