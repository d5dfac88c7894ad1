// Remote directory and file commands. Servers that predate CWD, CDUP, PWD, MKD and
// RMD know them as XCWD, XCUP, XPWD, XMKD and XRMD; each is tried only when the
// server answers 500 to the first.
#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/command_words.h"
#include "interp/handlers.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

void BlanksToUnderscores(char* name) {
  for (char* p = name; *p; ++p) {
    if (*p == ' ') *p = '_';
  }
}

}  // namespace

void ChangeRemoteDirectoryCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("remote-directory", kMsgRemoteDirectoryUsage, argv[0]);
  char directory[kPathSize];
  if (!MapRemotePath(argv[1], directory, sizeof directory)) {
    ReportMessage(kMsgCantChangeDirectory, argv[1]);
    session.replyCode = -1;
    return;
  }
  SendWithFallback("CWD", "XCWD", kMsgTryingXcwd, directory);
}

void ParentDirectoryCommand(int, char**) {
  SendWithFallback("CDUP", "XCUP", kMsgTryingXcup, nullptr);
}

void RemoteDirectoryDisplayCommand(int, char**) {
  bool verbose = session.verbose;
  session.verbose = true;
  SendWithFallback("PWD", "XPWD", kMsgTryingXpwd, nullptr);
  session.verbose = verbose;
}

void MakeRemoteDirectoryCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("directory-name", kMsgDirectoryNameUsage, argv[0]);
  BlanksToUnderscores(argv[1]);
  SendWithFallback("MKD", "XMKD", kMsgTryingXmkd, argv[1]);
}

void RemoveRemoteDirectoryCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("directory-name", kMsgDirectoryNameUsage, argv[0]);
  SendWithFallback("RMD", "XRMD", kMsgTryingXrmd, argv[1]);
}

void DeleteCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("remote-file", kMsgRemoteFileUsage, argv[0]);
  SendCommand("DELE %s", argv[1]);
}

void RenameCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("from-name", kMsgRenameUsage, argv[0]);
  if (argc < 3) return MissingWord("to-name", kMsgRenameUsage, argv[0]);
  if (SendCommand("RNFR %s", argv[1]) == kReplyContinue) SendCommand("RNTO %s", argv[2]);
}
