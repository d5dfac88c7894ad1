// Replies are read from a buffer of what has arrived, and each complete line is
// reported as it comes. A reply opened by "xyz-" ends at the line that begins
// "xyz " (RFC 959), so the indented lines of a feature or help list stay inside it;
// any other reply ends at the first line without "-" in the fourth place.
#include <ctype.h>
#include <string.h>

#include <algorithm>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/messages.h"
#include "shell/report.h"

namespace {

constexpr int kIac = 255;
constexpr int kDont = 254;
constexpr int kWont = 252;
constexpr int kWill = 251;

constexpr size_t kLineSize = 128;  // 127 characters of a line are kept
constexpr int kMaxReplyCode = 99999;

// The next byte of the stream, or -1 when nothing more can be read (replyEnded).
int NextByte(bool expectEnd) {
  if (session.replyEnded) return -1;
  if (session.replyIndex >= session.replyCount) {
    int n = ReceiveWithWait(session.controlSocket, session.replyBuffer, kReplyBufferSize);
    session.replyIndex = 0;
    session.replyCount = n > 0 ? n : 0;
    if (n == 0 && expectEnd) {
      session.replyCode = 221;
      session.replyClass = kReplyNone;
    } else if (n <= 0) {
      // A server that closes without answering has not answered: were the reply
      // class left as it was, the last reply's class would stand for this one.
      int error = WSAGetLastError();
      if (n < 0 && session.debugLines) ReportMessage(kMsgReceiveError, SocketErrorText(error));
      ReportMessage(kMsgServiceNotAvailable);
      session.replyCode = 421;
      session.replyClass = kReplyTransient;
    }
    if (n <= 0) {
      session.replyEnded = true;
      return -1;
    }
  }
  return (unsigned char)session.replyBuffer[session.replyIndex++];
}

// One character of the reply text; zero once the stream has ended. Telnet option
// negotiation is refused and never shows; zero bytes are skipped.
char ReadReplyChar(bool expectEnd) {
  for (;;) {
    int c = NextByte(expectEnd);
    if (c < 0) return 0;
    if (c == kIac) {
      int command = NextByte(expectEnd);
      if (command < 0) return 0;
      // WILL, WONT, DO, DONT: whatever the server offers or asks, we refuse.
      if (command >= kWill && command <= kDont) {
        int option = NextByte(expectEnd);
        if (option < 0) return 0;
        SendRaw("%c%c%c", kIac, command == kWill || command == kWont ? kDont : kWont, option);
      }
      continue;
    }
    if (c != 0) return (char)c;
  }
}

// One line with its line feed, carriage returns dropped, cut to 127 characters;
// false when the stream ended before its line feed.
bool ReadLine(bool expectEnd, char* line) {
  size_t length = 0;
  for (;;) {
    char c = ReadReplyChar(expectEnd);
    if (c == 0) {
      line[length] = 0;
      return false;
    }
    if (c == '\r') continue;
    if (length < kLineSize - 1) line[length++] = c;
    if (c == '\n') break;
  }
  line[length] = 0;
  return true;
}

int LeadingNumber(const char* line) {
  int number = 0;
  for (const char* p = line; isdigit((unsigned char)*p); ++p)
    number = std::min(number * 10 + (*p - '0'), kMaxReplyCode);
  return number;
}

bool OpensMultiLineReply(const char* line) {
  return isdigit((unsigned char)line[0]) && isdigit((unsigned char)line[1]) &&
         isdigit((unsigned char)line[2]) && line[3] == '-';
}

bool EndsReply(const char* line, const char* openingCode) {
  if (openingCode[0])
    return strncmp(line, openingCode, 3) == 0 && (line[3] == ' ' || line[3] == '\n');
  return strlen(line) < 4 || line[3] != '-';
}

void DetectServerTypeFrom(const char* line) {
  ServerType detected;
  const char* name = nullptr;
  if (DetectServerType(session.serverType, line, &detected, &name)) {
    session.serverType = detected;
    ReportMessage(kMsgServerType, name);
  }
}

}  // namespace

int ReadReply(bool expectEnd) {
  session.replyClass = -1;
  session.replyEnded = false;
  char line[kLineSize];
  char openingCode[4] = {};
  bool first = true;
  bool coded = false;  // a line of this reply carried a code
  while (ReadLine(expectEnd, line)) {
    ReportLine("%s", line);
    if (isdigit((unsigned char)line[0])) {
      session.replyCode = LeadingNumber(line);
      coded = true;
    }
    if (first && OpensMultiLineReply(line)) {
      memcpy(openingCode, line, 3);
    } else if (EndsReply(line, openingCode)) {
      if (coded &&
          (session.replyCode == 220 || session.replyCode == 215 || session.replyCode == 200))
        DetectServerTypeFrom(line);
      break;
    }
    first = false;
  }
  if (session.replyClass == -1) session.replyClass = coded ? session.replyCode / 100 : kReplyNone;
  return session.replyClass;
}

void ResetReplyReader() {
  session.replyCount = 0;
  session.replyIndex = 0;
  session.replyEnded = false;
}
