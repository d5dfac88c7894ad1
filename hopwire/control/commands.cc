// Sending on the control connection. A command is one line: one whose text holds
// a line end or a zero byte (a name taken from a listing, say) would put a second
// command of its own making on the connection, so it is refused and nothing goes
// out. The password never shows in a line that quotes the command.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <initializer_list>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

constexpr int kCommandSize = 1024;  // the line end included

// The command as a line may quote it: "PASS" and x for each character after it.
void HidePassword(char* command) {
  if (strncmp(command, "PASS ", 5) != 0) return;
  for (char* p = command + 5; *p && *p != '\r' && *p != '\n'; ++p)
    *p = 'x';
}

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

int SendCommand(const char* format, ...) {
  char command[kCommandSize];
  va_list arguments;
  va_start(arguments, format);
  int length = vsnprintf(command, sizeof command - 2, format, arguments);
  va_end(arguments);
  if (session.controlSocket == INVALID_SOCKET) {
    ReportMessage(kMsgControlSocketInvalid);
    return kReplyNone;
  }
  if (length < 0 || length >= kCommandSize - 2) {
    ReportMessage(kMsgCommandTooLong);
    session.replyCode = -1;
    return kReplyNone;
  }
  if ((size_t)length != strlen(command) || strpbrk(command, "\r\n")) {
    ReportMessage(kMsgCommandBreaksLine);
    session.replyCode = -1;
    return kReplyNone;
  }
  memcpy(command + length, "\r\n", 3);
  length += 2;
  int sent = SendWithWait(session.controlSocket, command, length);
  if (sent < 0) {
    command[strcspn(command, "\r\n")] = 0;
    HidePassword(command);
    ReportMessage(kMsgCommandLost, command);
    return kReplyNone;
  }
  if (sent == 0) {
    ReportMessage(kMsgPeerClosed);
    session.connected = false;
    for (SOCKET* s : {&session.listenSocket, &session.dataSocket, &session.controlSocket})
      CloseSocket(s);
    return kReplyNone;
  }
  if (sent < length) {
    HidePassword(command);
    ReportMessage(kMsgCommandIncomplete, command);
    return kReplyNone;
  }
  return ReadReply(strcmp(format, "QUIT") == 0);
}

int SendRaw(const char* format, ...) {
  char text[kCommandSize];
  va_list arguments;
  va_start(arguments, format);
  int length = vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  // The count, not the text's length: a Telnet answer may carry a zero option byte.
  if (length < 0) length = 0;
  if (length >= kCommandSize) length = kCommandSize - 1;
  if (session.controlSocket == INVALID_SOCKET) {
    ReportMessage(kMsgRawSocketInvalid);
    return -1;
  }
  int sent = SendWithWait(session.controlSocket, text, length);
  if (sent < 0) {
    ReportMessage(kMsgRawNotSent, text);
    return 0;
  }
  if (sent < length) {
    ReportMessage(kMsgRawIncomplete, text);
    return -1;
  }
  return sent;
}

#pragma GCC diagnostic pop
