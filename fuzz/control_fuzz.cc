// libFuzzer target: the control connection's reply reader fed arbitrary byte
// streams (Telnet bytes, zero bytes, unterminated and overlong lines) in chunks of
// varying size, and the command interpreter fed arbitrary command lines, without a
// connection and with one whose replies come from the input. The sockets are
// replaced at SendWithWait and ReceiveWithWait; WinSock is never started, so no
// other socket call reaches the network. A command that reaches the connection must
// be one line; every line reported must fit the channel.
#include <dirent.h>
#include <ftw.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "platform/direct.h"
#include "platform/windows.h"
#include "shell/messages.h"
#include "shell/progress.h"
#include "shell/report.h"
#include "shell/slave_calls.h"

namespace {

constexpr SOCKET kFakeControlSocket = 7;

struct Stream {
  const uint8_t* data;
  size_t size;
  size_t at;
  size_t chunk;   // bytes a receive returns at most
  bool failLast;  // the end of the stream is a receive error, not a close
};
Stream replies;
std::string drive;

void Check(bool holds) {
  if (!holds) abort();
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

// lmkdir makes directories in the scratch drive; they go after each input.
void EmptyDrive() {
  DIR* d = opendir(drive.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    nftw((drive + "/" + e->d_name).c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  closedir(d);
}

void ResetSession(bool connected) {
  session = SessionState{};
  session.verbose = true;
  session.sendPort = true;
  session.connected = connected;
  session.controlSocket = connected ? kFakeControlSocket : INVALID_SOCKET;
  _chdir("c:\\");
}

}  // namespace

// ---- The sockets of the control connection.

int SendWithWait(SOCKET s, const char* data, int length) {
  Check(s == kFakeControlSocket && length > 0 && length < 1024);
  // A Telnet answer is IAC, DONT or WONT, and the option; anything else is a
  // command line, which ends in CR LF and holds no other line end or zero byte.
  const unsigned char* bytes = (const unsigned char*)data;
  if (length == 3 && bytes[0] == 255 && (bytes[1] == 254 || bytes[1] == 252)) return length;
  Check(length >= 2 && data[length - 2] == '\r' && data[length - 1] == '\n');
  for (int i = 0; i < length - 2; ++i)
    Check(data[i] != '\r' && data[i] != '\n' && data[i] != 0);
  return length;
}

int ReceiveWithWait(SOCKET s, char* buffer, int length) {
  Check(s == kFakeControlSocket && length == kReplyBufferSize);
  if (replies.at >= replies.size) return replies.failLast ? -1 : 0;
  size_t n = replies.size - replies.at;
  if (n > replies.chunk) n = replies.chunk;
  memcpy(buffer, replies.data + replies.at, n);
  replies.at += n;
  return (int)n;
}

// ---- The shell's reports, checked and dropped.

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
namespace {
void Format(const char* format, va_list arguments) {
  char line[kChannelSize];
  int length = vsnprintf(line, sizeof line, format, arguments);
  Check(length >= 0);
}
}  // namespace

void ReportLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Format(format, arguments);
  va_end(arguments);
}

void ReportListingLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  Format(format, arguments);
  va_end(arguments);
}

void ReportMessage(UINT number, ...) {
  char format[kMessageSlotSize];
  Check(LoadString(GetModuleHandle(nullptr), number, format, sizeof format) > 0);
  va_list arguments;
  va_start(arguments, number);
  Format(format, arguments);
  va_end(arguments);
}
#pragma GCC diagnostic pop

void ReportNumber(WORD, LONG) {}
void ReportNotice(WORD) {}
void ReportExpectedSize(const char*) {}
// WinSock is never started, so no data connection is ever made.
void TransferStarted() {}
void TransferFinished(LONG, LONG) {}
PollResult PollDuringTransfer() {
  return PollResult::kGoOn;
}

// ---- The entry.

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/control-fuzz-XXXXXX";
  if (!mkdtemp(pattern)) abort();
  drive = pattern;
  atexit([] {
    EmptyDrive();
    rmdir(drive.c_str());
  });
  setenv("PLATFORM_DRIVES", ("c=" + drive).c_str(), 1);
  return 0;
}

// Byte 0 chooses what runs (low two bits) and how the reply stream ends; byte 1 the
// size of each receive. Then: a reply stream; or command lines; or command lines,
// a zero byte and the replies their commands read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  int mode = data[0] & 3;
  std::string payload((const char*)data + 2, size - 2);
  std::string lines = mode == 0 ? "" : payload.substr(0, payload.find('\0'));
  size_t replyStart = mode == 0 ? 0 : mode == 2 ? lines.size() + 1 : payload.size();
  replies = {data + 2 + (replyStart < payload.size() ? replyStart : payload.size()),
             replyStart < payload.size() ? payload.size() - replyStart : 0, 0,
             (size_t)(data[1] % 64) + 1, (data[0] & 4) != 0};

  ResetSession(mode != 1);
  if (mode == 0) {
    bool expectEnd = (data[0] & 8) != 0;
    for (int replies_read = 0; replies_read < 10000; ++replies_read) {
      int replyClass = ReadReply(expectEnd);
      Check(session.replyIndex >= 0 && session.replyIndex <= session.replyCount);
      Check(session.replyCount <= kReplyBufferSize);
      Check(replyClass >= -1 && replyClass <= 999);
      if (session.replyEnded) break;
    }
  } else {
    size_t start = 0;
    while (start <= lines.size()) {
      size_t end = lines.find('\n', start);
      if (end == std::string::npos) end = lines.size();
      ExecuteCommandLine(lines.substr(start, end - start).c_str());
      Check(session.outputFilter == nullptr);
      start = end + 1;
    }
    if (lines.find("lm") != std::string::npos) EmptyDrive();
  }
  return 0;
}
