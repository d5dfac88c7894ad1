// korftp's one record and its window "KORFTP-Main", the window hopwire reports to.
// Requests go one at a time: a command line is written into "FtpChannel1" and sent
// as 503, and the next waits for its 548. Every wait is bounded: a slave that ends
// is noticed at once, a command with no word from hopwire for a while is cancelled,
// and a slave that does not finish after a cancel or at the end is killed.
#pragma once

#include <string>
#include <vector>

#include "command_source.h"
#include "platform/windows.h"
#include "progress_bar.h"
#include "slave_process.h"

struct KorftpOptions {
  std::vector<std::string> commands;  // from -c
  bool haveCommands = false;
  std::string slaveProgram;
  int idleLimitSeconds = 600;  // 0: none
};

enum class Phase { kIdle, kBusy, kClosing, kStopping, kDone };

struct Controller {
  HWND window = nullptr;
  HWND slave = nullptr;
  SlaveProcess process;
  HANDLE sections[2] = {};
  char* requestView = nullptr;
  char* outputView = nullptr;
  Phase phase = Phase::kIdle;
  CommandSource source;
  ProgressBar bar;
  int idleLimitMs = 0;
  DWORD lastWord = 0;  // when hopwire last reported anything
  DWORD cancelSent = 0;
  bool cancelling = false;
  DWORD phaseSince = 0;
  bool atLineStart = true;
  // To a terminal each line shows at once; to a pipe or file lines are flushed
  // at the end of each command and every check tick, so a listing's lines don't
  // each cost a write while hopwire waits for them to be taken.
  bool flushEachLine = true;
  bool endAfterRequest = false;
  bool countsClass = false;  // the running request is a command line
  int requestClass = 0;      // of the last numbered line of the running command
  int lastClass = 0;         // of the last command line
  bool slaveVanished = false;
  bool interrupted = false;
};

// Window, channels, the slave and its request 500; false (with a line on standard
// error) when korftp cannot run.
bool StartController(Controller* c, const KorftpOptions& options);
// The message loop, until the slave has ended.
void RunController(Controller* c);
// Releases everything; the exit status.
int StopController(Controller* c);
