// The local current drive and directory. A path may start with a drive letter and
// ":"; the rest passes through the server type's local mapping, as a path made of
// remote names would.
#include <ctype.h>

#include "hopwire/session_state.h"
#include "interp/command_words.h"
#include "interp/handlers.h"
#include "interp/local_directory.h"
#include "platform/direct.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

constexpr int kDirectorySize = 256;

// Takes a drive prefix off path and makes its drive current; false (replyCode -1)
// when that fails. failure is the line for a drive that cannot be entered.
bool EnterDrivePrefix(const char** path, unsigned failure) {
  const char* p = *path;
  if (!p[0] || p[1] != ':') return true;
  session.replyCode = -1;
  if (!isalpha((unsigned char)p[0])) return false;
  if (session.debugLines) ReportMessage(kMsgChangeToDrive, toupper((unsigned char)p[0]));
  if (!ChangeDrive(p[0])) {
    ReportMessage(failure, p[0]);
    return false;
  }
  session.replyCode = 0;
  *path = p + 2;
  return true;
}

}  // namespace

void LocalDirectoryDisplayCommand(int, char**) {
  char directory[kDirectorySize] = {};
  if (!_getcwd(directory, sizeof directory)) directory[0] = 0;
  ReportMessage(kMsgLocalDirectory, directory);
}

void LocalDirectoryCommand(int argc, char** argv) {
  if (argc != 2) return Usage(kMsgLocalDirectoryUsage, argv[0]);
  if (session.debugLines) ReportMessage(kMsgLcdTo, argv[1]);
  const char* path = argv[1];
  if (!EnterDrivePrefix(&path, kMsgCantChangeDrive)) return;
  char directory[kPathSize];
  if (!MapLocalPath(path, directory, sizeof directory) || !ChangeDirectory(directory)) {
    ReportMessage(kMsgCantChangeDirectory, directory[0] ? directory : path);
    session.replyCode = -1;
    return;
  }
  LocalDirectoryDisplayCommand(argc, argv);
  session.replyCode = 0;
}

void LocalMakeDirectoryCommand(int argc, char** argv) {
  if (argc < 2) return MissingWord("directory-name", kMsgLocalDirectoryNameUsage, argv[0]);
  const char* path = argv[1];
  if (!EnterDrivePrefix(&path, kMsgCantChangeDriveColon)) return;
  char directory[kPathSize];
  if (!MapLocalPath(path, directory, sizeof directory) || !directory[0]) {
    ReportMessage(kMsgCantMakeLocalDirectory, argv[1]);
    return;
  }
  // Entering it is how its existence shows; the local directory stays there.
  if (_chdir(directory) == 0) {
    ReportMessage(kMsgLocalDirectoryExists, argv[1]);
    return;
  }
  if (_mkdir(directory) != 0) {
    ReportMessage(kMsgCantMakeLocalDirectory, argv[1]);
    return;
  }
  ReportMessage(kMsgLocalDirectoryCreated, argv[1]);
}
