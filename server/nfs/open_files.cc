// A small table searched in full; expired descriptors are closed as calls
// pass by, so an idle server keeps at most the table's few open.
#include "nfs/open_files.h"

#include "platform/io.h"
#include "platform/winbase.h"

namespace {

constexpr int kKept = 16;
constexpr DWORD kKeepMs = 1000;

struct OpenFile {
  int fd;  // -1: free
  uint16_t bucket, serial;
  BOOL writable;
  DWORD opened;
};

OpenFile files[kKept] = {};
BOOL initialised;

void Close(OpenFile* file) {
  if (file->fd >= 0) _close(file->fd);
  file->fd = -1;
}

BOOL StillServes(int fd, BOOL write, struct _stat* status) {
  return _fstat(fd, status) == 0 && status->st_nlink > 0 &&
         (!write || (status->st_mode & _S_IWRITE));
}

void Initialise() {
  if (initialised) return;
  for (OpenFile& file : files)
    file.fd = -1;
  initialised = TRUE;
}

}  // namespace

int OpenForTransfer(const PathNode* node, BOOL write, struct _stat* status) {
  Initialise();
  DWORD now = GetTickCount();
  OpenFile* free = nullptr;
  OpenFile* oldest = &files[0];
  for (OpenFile& file : files) {
    if (file.fd >= 0 && now - file.opened >= kKeepMs) Close(&file);
    if (file.fd < 0) {
      free = &file;
      continue;
    }
    if (file.bucket == node->bucket && file.serial == node->serial && (file.writable || !write)) {
      if (StillServes(file.fd, write, status)) return file.fd;
      Close(&file);
      free = &file;
      continue;
    }
    if (now - file.opened > now - oldest->opened) oldest = &file;
  }
  int fd = _open(node->path, (write ? _O_RDWR : _O_RDONLY) | _O_BINARY);
  if (fd < 0) return -1;
  if (_fstat(fd, status) != 0) {
    _close(fd);
    return -1;
  }
  OpenFile* slot = free ? free : oldest;
  Close(slot);
  *slot = {fd, node->bucket, node->serial, write, now};
  return fd;
}

void ForgetOpenFile(const PathNode* node) {
  Initialise();
  for (OpenFile& file : files)
    if (file.fd >= 0 && file.bucket == node->bucket && file.serial == node->serial) Close(&file);
}

void ForgetOpenFiles() {
  Initialise();
  for (OpenFile& file : files)
    Close(&file);
}
