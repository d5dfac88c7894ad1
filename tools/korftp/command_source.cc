// readline's handler is installed only while a command is awaited: while hopwire
// works the terminal is back in its ordinary mode, and Ctrl-C goes to korftp's
// console handler whatever the state.
#include "command_source.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <readline/history.h>
#include <readline/readline.h>

#include "platform/console.h"

namespace {

constexpr char kPrompt[] = "korftp> ";
CommandSource* prompted = nullptr;  // the source readline's callback fills

// A login's password stays out of the history.
bool IsLogin(const char* line) {
  size_t n = strcspn(line, " \t");
  return n > 0 && n <= 4 && strncmp(line, "user", n) == 0;
}

void RemovePrompt(CommandSource* source) {
  if (!source->prompting) return;
  rl_callback_handler_remove();
  source->prompting = false;
}

void OnLine(char* line) {
  CommandSource* source = prompted;
  if (!source) {
    free(line);
    return;
  }
  if (!line) {
    fputc('\n', stdout);
    source->ended = true;
  } else {
    if (*line && !IsLogin(line)) add_history(line);
    source->ready.push_back(line);
    free(line);
  }
  RemovePrompt(source);
}

void ReadStream(CommandSource* source) {
  char chunk[4096];
  ssize_t n = read(0, chunk, sizeof chunk);
  if (n <= 0) {
    if (!source->partial.empty()) source->ready.push_back(source->partial);
    source->partial.clear();
    source->ended = true;
    return;
  }
  source->partial.append(chunk, (size_t)n);
  size_t end;
  while ((end = source->partial.find('\n')) != std::string::npos) {
    std::string line = source->partial.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    source->ready.push_back(line);
    source->partial.erase(0, end + 1);
  }
}

}  // namespace

std::vector<std::string> SplitCommands(const std::string& text) {
  std::vector<std::string> commands;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == ';') {
      current += ';';
      ++i;
    } else if (text[i] == ';') {
      commands.push_back(current);
      current.clear();
    } else {
      current += text[i];
    }
  }
  commands.push_back(current);
  for (std::string& c : commands) {
    c.erase(0, c.find_first_not_of(" \t"));
    c.erase(c.find_last_not_of(" \t") + 1);
  }
  return commands;
}

void OpenCommandSource(CommandSource* source, SourceKind kind,
                       const std::vector<std::string>& commands, HWND window, UINT inputMessage) {
  source->kind = kind;
  source->window = window;
  source->inputMessage = inputMessage;
  if (kind == SourceKind::kList) {
    source->ready.assign(commands.begin(), commands.end());
    source->ended = true;
  }
  if (kind == SourceKind::kTerminal) {
    rl_catch_signals = 0;
    rl_catch_sigwinch = 0;
    rl_readline_name = "korftp";
  }
}

bool NextCommand(CommandSource* source, std::string* line) {
  if (source->ready.empty()) return false;
  *line = source->ready.front();
  source->ready.pop_front();
  return true;
}

void AwaitCommand(CommandSource* source) {
  if (source->ended || source->kind == SourceKind::kList) return;
  if (source->kind == SourceKind::kTerminal && !source->prompting) {
    prompted = source;
    rl_callback_handler_install(kPrompt, OnLine);
    source->prompting = true;
  }
  WatchInputDescriptor(0, source->window, source->inputMessage);
}

void ReadInput(CommandSource* source) {
  if (source->kind == SourceKind::kStream) ReadStream(source);
  if (source->kind == SourceKind::kTerminal && source->prompting) rl_callback_read_char();
}

void InterruptPrompt(CommandSource* source) {
  if (!source->prompting) return;
  rl_callback_sigcleanup();
  rl_replace_line("", 0);
  fputs("^C\n", stdout);
  rl_on_new_line();
  rl_redisplay();
}

void WriteAbovePrompt(CommandSource* source, const char* text) {
  if (!source->prompting) {
    fputs(text, stdout);
    return;
  }
  rl_clear_visible_line();
  fputs(text, stdout);
  rl_on_new_line();
  rl_redisplay();
}

void CloseCommandSource(CommandSource* source) {
  RemovePrompt(source);
  WatchInputDescriptor(0, nullptr, 0);
  if (prompted == source) prompted = nullptr;
}
