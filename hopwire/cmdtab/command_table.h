// The command table: every command the controller may send, by name, with its
// help text, whether it needs a connection, and its handler. Names are found
// whole or by a unique beginning, case-sensitively; the table's order is the
// order of the help listing.
#pragma once

// word count and words; word 0 is the command as typed.
typedef void (*CommandHandler)(int argc, char** argv);

struct CommandEntry {
  const char* name;
  const char* help;
  bool needsConnection;
  CommandHandler handler;
};

inline constexpr int kCommandCount = 43;
extern const CommandEntry cmdtab[kCommandCount];

enum class CommandLookup { kFound, kAmbiguous, kNotFound };

// A name equal to word, else the one name that begins with it.
CommandLookup LookupCommand(const char* word, const CommandEntry** found);
