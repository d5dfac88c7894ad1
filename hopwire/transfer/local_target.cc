// The directory of a name is the text before its last separator, keeping the
// separator when only a root would be left (C:\f.txt gives C:\), else ".".
#include "transfer/local_target.h"

#include <errno.h>
#include <string.h>

#include "hopwire/session_state.h"
#include "platform/io.h"
#include "shell/message_ids.h"
#include "shell/report.h"

namespace {

constexpr char kTargetMode[] = "w+b";

bool DirectoryOf(const char* name, char* directory, size_t size) {
  const char* last = nullptr;
  for (const char* p = name; *p; ++p) {
    if (*p == '\\' || *p == '/') last = p;
  }
  if (!last) {
    strcpy(directory, ".");
    return true;
  }
  size_t length = (size_t)(last - name);
  if (length == 0 || (length == 2 && name[1] == ':')) ++length;
  if (length >= size) return false;
  memcpy(directory, name, length);
  directory[length] = 0;
  return true;
}

bool Refuse(UINT message, const char* name, int error) {
  ReportMessage(message, name, strerror(error));
  session.replyCode = -1;
  return false;
}

}  // namespace

bool CheckLocalTarget(const char* name, LocalTarget* target) {
  target->fd = _open(name, _O_WRONLY | _O_BINARY);
  if (target->fd >= 0) return true;
  int error = errno;
  if (error != ENOENT && error != EACCES) return Refuse(kMsgLocalError2, name, error);
  char directory[MAX_PATH];
  if (!DirectoryOf(name, directory, sizeof directory))
    return Refuse(kMsgLocalError3, name, ENAMETOOLONG);
  if (_access(directory, _A_WRITE) != 0) return Refuse(kMsgLocalError3, name, errno);
  if (error == EACCES) {
    if (_chmod(name, _S_IREAD | _S_IWRITE) != 0) return Refuse(kMsgLocalError4, name, errno);
    target->fd = _open(name, _O_WRONLY | _O_BINARY);
  }
  return true;
}

bool OpenLocalTarget(const char* name, LocalTarget* target) {
  if (session.debugLines) ReportMessage(kMsgOpenWithMode, name, kTargetMode);
  if (target->fd >= 0) {
    if (_chsize(target->fd, 0) == 0 && _lseek(target->fd, 0, SEEK_SET) == 0) return true;
  } else {
    // The name was free when checked: whatever took it since is someone else's.
    target->fd = _open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (target->fd >= 0) return true;
  }
  ReportMessage(kMsgLocalError5, name, strerror(errno));
  return false;
}

void CloseLocalTarget(LocalTarget* target) {
  if (target->fd >= 0) _close(target->fd);
  target->fd = -1;
}
