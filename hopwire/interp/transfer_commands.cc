// File transfers, by name (get, put and their like) and by the controller's full
// path names (getx, putx, gettmp). Transfer commands wait for data without limit:
// a large file on a slow server is still coming.
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/command_words.h"
#include "interp/handlers.h"
#include "interp/interpreter.h"
#include "listing/dos_names.h"
#include "platform/io.h"
#include "shell/message_ids.h"
#include "shell/progress.h"
#include "shell/report.h"
#include "transfer/transfer.h"

namespace {

bool ExistsLocally(void*, const char* name) {
  return _access(name, _A_EXISTS) == 0;
}

const char* AfterLast(const char* path, const char* separators) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (strchr(separators, *p)) name = p + 1;
  }
  return name;
}

void BlanksToUnderscores(char* name) {
  for (char* p = name; *p; ++p) {
    if (*p == ' ') *p = '_';
  }
}

int Receive(const char* local, const char* remote, const char* mode, bool showNames) {
  session.waitForData = true;
  int done = ReceiveFile("RETR", local, remote, mode, showNames);
  session.waitForData = false;
  return done;
}

void Store(const char* command, int argc, char** argv) {
  if (argc < 2) return MissingWord("local-file", kMsgPutUsage, argv[0]);
  const char* local = argv[1];
  const char* remote = argc > 2 ? argv[2] : argv[1];
  if (session.debugLines) ReportMessage(kMsgPutRequest, command, local, remote, 0);
  session.waitForData = true;
  SendFile(command, local, remote, argc == 2);
  session.waitForData = false;
}

}  // namespace

void RetrieveCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("remote-file", kMsgGetUsage, argv[0]);
  Receive(argc > 2 ? argv[2] : argv[1], argv[1], "w", argc == 2);
}

void StoreCommand(int argc, char** argv) {
  Store("STOR", argc, argv);
}

void AppendCommand(int argc, char** argv) {
  Store("APPE", argc, argv);
}

// getx remote-path size local-directory unique
void ControllerRetrieveCommand(int argc, char** argv) {
  if (argc < 5) return ReportMessage(kMsgInternalCommand);
  if (!EnterLocalDirectory(argv[3], false) || !EnterRemoteDirectory(argv[1], true)) return;
  ReportExpectedSize(argv[2]);
  bool unique = ReadNumber(argv[4]) > 0;
  if (session.debugLines) ReportMessage(kMsgGetxUnique, unique ? 1 : 0);
  const char* remote = AfterLast(argv[1], "/");
  char local[kPathSize];
  bool differs = false;
  LocalNameCheck check = {ExistsLocally, nullptr};
  if (!MakeDosFileName(remote, unique, &check, local, sizeof local, &differs)) {
    ReportMessage(kMsgNoLocalName, remote);
    session.replyCode = -1;
    return;
  }
  if (differs) ReportMessage(kMsgConvertingName, remote, local);
  Receive(local, remote, "r+w", false);
}

// putx local-path size remote-directory unique
void ControllerStoreCommand(int argc, char** argv) {
  if (argc < 5) return ReportMessage(kMsgInternalCommand);
  BlanksToUnderscores(argv[3]);
  if (!EnterLocalDirectory(argv[1], true) || !EnterRemoteDirectory(argv[3], false)) return;
  bool unique = ReadNumber(argv[4]) > 0;
  if (session.debugLines) ReportMessage(kMsgPutxUnique, unique ? 1 : 0);
  ReportExpectedSize(argv[2]);
  const char* local = AfterLast(argv[1], "/\\");
  if (session.debugLines) ReportMessage(kMsgSendRequestFor, local);
  char remote[kPathSize];
  strncpy(remote, local, sizeof remote - 1);
  remote[sizeof remote - 1] = 0;
  BlanksToUnderscores(remote);
  session.waitForData = true;
  SendFile(unique ? "STOU" : "STOR", local, remote, false);
  session.waitForData = false;
}

// gettmp remote-path size local-path; the size is not used.
void TemporaryRetrieveCommand(int argc, char** argv) {
  if (argc < 4) return ReportMessage(kMsgInternalCommand);
  if (!EnterLocalDirectory(argv[3], true) || !EnterRemoteDirectory(argv[1], true)) return;
  const char* remote = AfterLast(argv[1], "/");
  const char* local = AfterLast(argv[3], "/\\");
  bool done = Receive(local, remote, "r+w", false) != 0;
  ReportMessage(done ? kMsgRetrieveSuccess : kMsgRetrieveFailure, remote);
}
