// Nothing reads further input: where an interactive client would ask for a
// missing word, the prompt is reported and the word stays missing.
#include "interp/command_words.h"

#include <ctype.h>
#include <stdint.h>
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "listing/server_type_ops.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

// A line this long leaves no room for the word asked for.
constexpr int kLongestLineForMoreWords = 196;

}  // namespace

bool CopyPath(const char* path, char* out, size_t size) {
  size_t length = strlen(path);
  if (length >= size) {
    if (size) out[0] = 0;
    return false;
  }
  memcpy(out, path, length + 1);
  return true;
}

void MissingWord(const char* prompt, unsigned usage, const char* command) {
  session.replyCode = -1;
  if (session.commandLineLength > kLongestLineForMoreWords) {
    ReportMessage(kMsgArgumentsTooLong);
    return;
  }
  ReportMessage(kMsgPrompt, prompt);
  ReportMessage(usage, command);
}

void Usage(unsigned usage, const char* command) {
  ReportMessage(usage, command);
  session.replyCode = -1;
}

int SendWithFallback(const char* verb, const char* xverb, unsigned tryingMessage,
                     const char* argument) {
  int replyClass = argument ? SendCommand("%s %s", verb, argument) : SendCommand("%s", verb);
  if (replyClass != kReplyError || session.replyCode != 500) return replyClass;
  if (session.verbose) ReportMessage(tryingMessage);
  return argument ? SendCommand("%s %s", xverb, argument) : SendCommand("%s", xverb);
}

bool MapRemotePath(const char* path, char* mapped, size_t size) {
  PathMapping mapping = GetServerTypeOps(session.serverType)->remotePathMapping;
  if (session.serverType == ServerType::Unknown || !mapping) return CopyPath(path, mapped, size);
  return mapping(path, mapped, size);
}

bool MapLocalPath(const char* path, char* mapped, size_t size) {
  PathMapping mapping = GetServerTypeOps(session.serverType)->localPathMapping;
  if (session.serverType == ServerType::Unknown || !mapping) return CopyPath(path, mapped, size);
  return mapping(path, mapped, size);
}

int ReadNumber(const char* text) {
  const char* p = text;
  while (isspace((unsigned char)*p))
    ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint32_t value = 0;
  for (; isdigit((unsigned char)*p); ++p)
    value = value * 10u + (uint32_t)(*p - '0');
  return (int)(negative ? 0u - value : value);
}
