// Opening, logging in to and closing a session, and the commands that only talk
// about it. open connects and reads the greeting but never logs in: the
// controller sends user.
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/command_words.h"
#include "interp/handlers.h"
#include "interp/interpreter.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/report.h"

namespace {

constexpr int kMaxQuotedWords = 5;
constexpr size_t kQuotedSize = 400;

void ResetTransferSettings() {
  session.typeName = "ascii";
  session.formName = "non-print";
  session.modeName = "stream";
  session.structName = "file";
  strcpy(session.byteSizeText, "8");
  session.transferType = kTypeAscii;
  session.currentType = kTypeAscii;
  session.formNumber = 1;
  session.modeNumber = 1;
  session.structNumber = 1;
  session.byteSize = 8;
}

}  // namespace

void OpenCommand(int argc, char** argv) {
  if (session.connected) {
    ReportMessage(kMsgAlreadyConnected, session.hostName);
    session.replyCode = -1;
    return;
  }
  session.serverType = ServerType::Unknown;
  if (argc < 2) return MissingWord("to", kMsgOpenUsage, argv[0]);
  if (argc > 3) return Usage(kMsgOpenUsage, argv[0]);
  u_short port = session.ftpPort;
  if (argc == 3) {
    // Every TCP port is one: none is cut to 16 bits or read as a negative number.
    int number = ReadNumber(argv[2]);
    if (number < 1 || number > 65535) {
      ReportMessage(kMsgBadPort, argv[1], argv[2]);
      return Usage(kMsgOpenUsage, argv[0]);
    }
    port = htons((u_short)number);
  }
  if (!ConnectToHost(argv[1], port)) return;
  session.connected = true;
  ResetTransferSettings();
}

void CloseCommand(int, char**) {
  CloseSession();
}

void QuitCommand(int, char**) {
  CloseSession();
}

void LoginCommand(int argc, char** argv) {
  if (argc < 3 || argc > 4) return Usage(kMsgUserUsage, argv[0]);
  int replyClass = SendCommand("USER %s", argv[1]);
  if (replyClass == kReplyContinue) replyClass = SendCommand("PASS %s", argv[2]);
  if (replyClass == kReplyContinue && argc == 4) replyClass = SendCommand("ACCT %s", argv[3]);
  if (replyClass != kReplyComplete) ReportMessage(kMsgLoginFailed);
}

void StatusCommand(int, char**) {
  if (session.connected)
    ReportMessage(kMsgConnected, session.hostName);
  else
    ReportMessage(kMsgNotConnected);
  session.replyCode = 0;
}

void SystemCommand(int, char**) {
  SendCommand("SYST");
}

void SendPortCommand(int, char**) {
  session.sendPort = !session.sendPort;
  ReportMessage(kMsgPortCommands, LoadMessage(1, session.sendPort ? kMsgOn : kMsgOff));
  session.replyCode = session.sendPort ? 1 : 0;
}

void QuoteCommand(int argc, char** argv) {
  ReportMessage(kMsgSendingQuoted, argc > 1 ? argv[1] : "(null)", argc > 2 ? argv[2] : "(null)");
  if (argc < 2 || argc - 1 > kMaxQuotedWords) return;
  char line[kQuotedSize] = {};
  for (int i = 1; i < argc; ++i) {
    if (i > 1) strncat(line, " ", sizeof line - strlen(line) - 1);
    strncat(line, argv[i], sizeof line - strlen(line) - 1);
  }
  SendCommand("%s", line);
}

void HostLookupCommand(int argc, char** argv) {
  if (argc != 2) return Usage(kMsgLookupUsage, argv[0]);
  const hostent* host = gethostbyname(argv[1]);
  if (!host || host->h_length != 4 || !host->h_addr_list || !host->h_addr_list[0]) {
    ReportMessage(kMsgHostnameUnresolved, argv[1]);
    return;
  }
  const unsigned char* a = (const unsigned char*)host->h_addr_list[0];
  ReportMessage(kMsgHostnameResolved, argv[1], a[0], a[1], a[2], a[3]);
}
