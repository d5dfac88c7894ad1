// help alone lists the names in columns, down each column first, as wide as the
// longest name and eight more, cut to a multiple of eight; help with words shows
// each one's help text.
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "cmdtab/command_table.h"
#include "interp/handlers.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

constexpr int kScreenWidth = 80;
constexpr int kHelpNameWidth = 10;

void ListCommands() {
  ReportMessage(kMsgHelpHeading);
  ReportLine("\n");
  int longest = 0;
  for (const CommandEntry& entry : cmdtab)
    longest = std::max(longest, (int)strlen(entry.name));
  int width = (longest + 8) / 8 * 8;
  int columns = kScreenWidth / width;
  int rows = (kCommandCount + columns - 1) / columns;
  for (int row = 0; row < rows; ++row) {
    char line[kScreenWidth * 2] = {};
    for (int i = row; i < kCommandCount; i += rows) {
      size_t used = strlen(line);
      snprintf(line + used, sizeof line - used, "%-*s", width, cmdtab[i].name);
    }
    ReportLine("%s\n", line);
  }
}

}  // namespace

void HelpCommand(int argc, char** argv) {
  if (argc < 2) return ListCommands();
  for (int i = 1; i < argc; ++i) {
    const CommandEntry* entry = nullptr;
    switch (LookupCommand(argv[i], &entry)) {
      case CommandLookup::kAmbiguous:
        ReportMessage(kMsgAmbiguousHelp, argv[i]);
        break;
      case CommandLookup::kNotFound:
        ReportMessage(kMsgInvalidHelp, argv[i]);
        break;
      case CommandLookup::kFound:
        ReportMessage(kMsgHelpEntry, kHelpNameWidth, entry->name, entry->help);
        break;
    }
  }
  ReportMessage(kMsgHelpComplete);
}
