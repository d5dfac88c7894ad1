// korftp: a terminal FTP client made of hopwire, which does all the FTP, and this
// controller, which takes command lines and shows what hopwire reports.
//   korftp [-c "command; command"]... [-s slave-program] [-w seconds]
// Exit status: 0, or 1 when the last command's reply was of class 4 or 5, 2 when
// korftp could not start, 3 when hopwire ended unasked, 130 after Ctrl-C between
// commands of a script.
#include <errno.h>
#include <getopt.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include "command_source.h"
#include "controller.h"
#include "platform/console.h"

namespace {

void Usage() {
  fputs(
      "usage: korftp [-c \"command; command\"]... [-s slave-program] [-w seconds]\n"
      "  -c  run these commands (';' between them, '\\;' for a ';' of a command's own)\n"
      "      instead of reading standard input\n"
      "  -s  the FTP slave to start (default: hopwire beside korftp, else on PATH)\n"
      "  -w  cancel a command after this many seconds without a word from the slave\n"
      "      (default 600; 0: never)\n",
      stderr);
}

// A whole number of seconds whose milliseconds still fit an int.
bool ReadSeconds(const char* text, int* seconds) {
  char* end = nullptr;
  errno = 0;
  long value = strtol(text, &end, 10);
  if (errno || end == text || *end || value < 0 || value > INT_MAX / 1000) return false;
  *seconds = (int)value;
  return true;
}

bool ParseOptions(int argc, char** argv, KorftpOptions* options) {
  int c;
  while ((c = getopt(argc, argv, "c:s:w:h")) != -1) {
    switch (c) {
      case 'c':
        for (const std::string& command : SplitCommands(optarg))
          options->commands.push_back(command);
        options->haveCommands = true;
        break;
      case 's':
        options->slaveProgram = optarg;
        break;
      case 'w':
        if (!ReadSeconds(optarg, &options->idleLimitSeconds)) return false;
        break;
      default:
        return false;
    }
  }
  return optind == argc;
}

}  // namespace

int main(int argc, char** argv) {
  KorftpOptions options;
  if (!ParseOptions(argc, argv, &options)) {
    Usage();
    return 2;
  }
  if (!StartConsoleProgram()) {
    fputs("korftp: cannot join the desktop; see PLATFORM_DESKTOP\n", stderr);
    return 2;
  }
  Controller controller;
  if (!StartController(&controller, options)) {
    StopController(&controller);
    return 2;
  }
  RunController(&controller);
  return StopController(&controller);
}
