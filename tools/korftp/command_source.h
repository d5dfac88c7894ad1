// Where korftp's command lines come from: the -c list, a terminal (line editing and
// history through readline, its callback interface driven from the message loop),
// or standard input read as lines for scripts. Input is only read while korftp
// waits for a command, so the loop keeps serving hopwire's reports meanwhile.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/windef.h"

enum class SourceKind { kList, kTerminal, kStream };

struct CommandSource {
  SourceKind kind = SourceKind::kList;
  std::deque<std::string> ready;
  bool ended = false;  // nothing more will come
  HWND window = nullptr;
  UINT inputMessage = 0;
  bool prompting = false;  // readline's prompt is up
  std::string partial;     // a stream's unfinished line
};

// "a; b" is two commands; "\;" is a ';' of the command's own.
std::vector<std::string> SplitCommands(const std::string& text);

void OpenCommandSource(CommandSource* source, SourceKind kind,
                       const std::vector<std::string>& commands, HWND window, UINT inputMessage);
// The next command when one is ready; otherwise false, with `ended` telling whether
// one may still come (AwaitCommand then asks for it).
bool NextCommand(CommandSource* source, std::string* line);
void AwaitCommand(CommandSource* source);
// inputMessage arrived: read what standard input has.
void ReadInput(CommandSource* source);
// Ctrl-C at the prompt: the line typed so far goes, a fresh prompt comes.
void InterruptPrompt(CommandSource* source);
// Writes a line while the prompt may be up, keeping the prompt and what was typed.
void WriteAbovePrompt(CommandSource* source, const char* text);
void CloseCommandSource(CommandSource* source);
