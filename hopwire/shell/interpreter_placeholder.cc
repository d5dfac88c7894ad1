// Stands in for the command interpreter until it exists: every command line gets
// one line saying so, which lets a controller drive the channel end to end.
#include "shell/report.h"
#include "shell/slave_calls.h"

void ExecuteCommandLine(const char*) {
  ReportLine("502 Command interpreter not available.\n");
}
