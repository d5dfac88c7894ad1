// Entering the directories of the controller's full path names before a getx,
// putx or gettmp: a local path that starts with its drive letter, and a remote
// path that is turned into the server's syntax.
#include <ctype.h>
#include <string.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/command_words.h"
#include "interp/interpreter.h"
#include "interp/local_directory.h"
#include "listing/server_type_ops.h"
#include "platform/direct.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

// The file name goes, back to the last separator (never the first character), and
// the separator too unless only a drive's root would be left: C:\dir\f.txt gives
// C:\dir, C:\f.txt gives C:\.
void StripFileName(char* path) {
  size_t end = strlen(path);
  while (end > 1 && path[end - 1] != '/' && path[end - 1] != '\\')
    --end;
  path[end] = 0;
  if (end >= 4) path[end - 1] = 0;
}

bool CopyAndStrip(const char* path, bool strip, char* copy) {
  if (!CopyPath(path, copy, kPathSize)) return false;
  if (strip) StripFileName(copy);
  return true;
}

}  // namespace

bool ChangeDrive(char letter) {
  if (!isalpha((unsigned char)letter)) return false;
  return _chdrive(toupper((unsigned char)letter) - 'A' + 1) == 0;
}

bool ChangeDirectory(const char* directory) {
  return !directory[0] || _chdir(directory) == 0;
}

bool EnterLocalDirectory(const char* path, bool strip) {
  char copy[kPathSize];
  if (!CopyAndStrip(path, strip, copy)) {
    ReportMessage(kMsgCantChangeDirectory, path);
    return false;
  }
  if (!ChangeDrive(copy[0])) {
    ReportMessage(kMsgCantChangeDrive, copy[0]);
    return false;
  }
  // The drive letter and ":" go, unless the server's type maps local paths: its
  // mapping takes the whole path.
  const char* rest = strlen(copy) >= 2 ? copy + 2 : "";
  PathMapping mapping = session.serverType != ServerType::Unknown
                            ? GetServerTypeOps(session.serverType)->localPathMapping
                            : nullptr;
  char directory[kPathSize];
  if (mapping ? !mapping(copy, directory, sizeof directory)
              : !CopyPath(rest, directory, sizeof directory)) {
    ReportMessage(kMsgCantChangeDirectory, rest);
    return false;
  }
  if (!ChangeDirectory(directory)) {
    ReportMessage(kMsgCantChangeDirectory, directory);
    return false;
  }
  return true;
}

bool EnterRemoteDirectory(const char* path, bool strip) {
  char copy[kPathSize];
  char directory[kPathSize];
  if (!CopyAndStrip(path, strip, copy) || !MapRemotePath(copy, directory, sizeof directory)) {
    ReportMessage(kMsgCantChangeDirectory, path);
    return false;
  }
  // A refused directory ends the command: the file of that name in whatever
  // directory is current is another file.
  if (SendWithFallback("CWD", "XCWD", kMsgTryingXcwd, directory) == kReplyComplete) return true;
  ReportMessage(kMsgCantChangeDirectory, copy);
  return false;
}
