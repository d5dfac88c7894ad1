// Words here are the interpreter's: blanks and tabs separate them, and a double-
// quoted part keeps its blanks. So a quoted password is hidden whole, and so is the
// password of a login typed as "u", "us" or "use", which select the same command.
#include "shell/command_line.h"

#include <stdio.h>
#include <string.h>

#include "hopwire/session_state.h"
#include "shell/report.h"
#include "shell/slave_calls.h"

namespace {

constexpr char kLoginCommand[] = "user";

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Applies `each` to every character of the word at p; returns where the word ends.
template <typename Each>
char* ForWord(char* p, Each each) {
  bool quoted = false;
  for (; *p && (quoted || !IsSpace(*p)); ++p) {
    if (*p == '"') quoted = !quoted;
    each(p);
  }
  return p;
}

char* SkipWordAndSpace(char* p) {
  p = ForWord(p, [](char*) {});
  while (IsSpace(*p))
    ++p;
  return p;
}

bool NamesLogin(const char* text) {
  if (strncmp(text, kLoginCommand, 4) == 0) return true;
  char word[8];
  size_t n = 0;
  for (const char* p = text; *p && !IsSpace(*p) && n < sizeof word - 1; ++p) {
    if (*p != '"') word[n++] = *p;
  }
  word[n] = 0;
  return n > 0 && n < 4 && strncmp(kLoginCommand, word, n) == 0;
}

}  // namespace

void BuildEcho(const char* text, char* echo, size_t size) {
  snprintf(echo, size, "ftp> %s\n", text);
  if (!NamesLogin(text)) return;
  char* p = SkipWordAndSpace(echo);  // "ftp>"
  p = SkipWordAndSpace(p);           // the command
  p = SkipWordAndSpace(p);           // the user name
  ForWord(p, [](char* c) { *c = 'x'; });
}

void CommandLineRequest(const char* text) {
  if (strncmp(text, "keep", 4) == 0) {
    session.idleSeconds = 0;
    session.keepAlive = text[4] == 'a';
    return;
  }
  char echo[1024];
  BuildEcho(text, echo, sizeof echo);
  ReportLine("%s", echo);
  session.busy = true;
  ExecuteCommandLine(text);
  session.outputFilter = nullptr;  // a listing's filter lasts one command
  session.busy = false;
}
