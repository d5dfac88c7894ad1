// One command line from the controller: split into words, the command found in
// cmdtab, refused without a connection when it needs one, and run. Each line is
// prepared from scratch in buffers of its own; nothing carries over to the next
// but the session's fields.
#include <string.h>

#include "cmdtab/command_table.h"
#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/report.h"
#include "shell/slave_calls.h"

namespace {

constexpr size_t kLineSize = 400;
constexpr size_t kWordBufferSize = 200;
constexpr int kWordTableSize = 20;  // 19 words and the end mark
constexpr size_t kLongestLine = 198;

struct CommandLine {
  char line[kLineSize];
  char words[kWordBufferSize];  // each word with its terminator
  char* argv[kWordTableSize];
  int argc;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Blanks and tabs separate words; a double-quoted part keeps them, and its quotes
// go. False when the words do not fit the word buffer or table.
bool SplitWords(CommandLine* c) {
  const char* p = c->line;
  char* out = c->words;
  char* const end = c->words + kWordBufferSize;
  c->argc = 0;
  if (*p == '!' || *p == '$') {
    c->argv[c->argc++] = out;
    *out++ = *p++;
    *out++ = 0;
  }
  for (;;) {
    while (IsBlank(*p))
      ++p;
    if (!*p) break;
    char* word = out;
    bool quoted = false;
    for (; *p && (quoted || !IsBlank(*p)); ++p) {
      if (*p == '"') {
        quoted = !quoted;
        continue;
      }
      if (out + 1 >= end) return false;
      *out++ = *p;
    }
    if (out == word) continue;  // only an empty quoted part
    if (c->argc + 1 >= kWordTableSize) return false;
    *out++ = 0;
    c->argv[c->argc++] = word;
  }
  c->argv[c->argc] = nullptr;
  return true;
}

// "ftp:c|/dir" names the local path "c:/dir".
void RewriteFtpPrefixes(CommandLine* c) {
  for (int i = 1; i < c->argc; ++i) {
    if (strncmp(c->argv[i], "ftp:", 4) != 0) continue;
    c->argv[i] += 4;
    if (c->argv[i][0] && c->argv[i][1] == '|') c->argv[i][1] = ':';
  }
}

}  // namespace

void ExecuteCommandLine(const char* text) {
  ResetReplyReader();
  size_t length = strnlen(text, kLineSize);
  if (length == 0) return;
  if (text[length - 1] == '\n') {
    if (length == 1) return;
    --length;
  }
  if (length > kLongestLine) {
    ReportMessage(kMsgLineTooLong);
    return;
  }
  CommandLine c;
  memcpy(c.line, text, length);
  c.line[length] = 0;
  session.commandLineLength = (int)length;
  if (!SplitWords(&c)) {
    ReportMessage(kMsgArgumentsTooLong);
    session.replyCode = -1;
    return;
  }
  if (c.argc == 0) return;

  const CommandEntry* entry = nullptr;
  switch (LookupCommand(c.argv[0], &entry)) {
    case CommandLookup::kAmbiguous:
      ReportMessage(kMsgAmbiguousCommand);
      return;
    case CommandLookup::kNotFound:
      ReportMessage(kMsgInvalidCommand);
      return;
    case CommandLookup::kFound:
      break;
  }
  if (entry->needsConnection && !session.connected) {
    ReportMessage(kMsgNotConnected);
    return;
  }
  RewriteFtpPrefixes(&c);
  entry->handler(c.argc, c.argv);
  session.outputFilter = nullptr;  // a listing's filter lasts one command
}
