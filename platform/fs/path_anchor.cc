// Path anchors: directories held by descriptor for the resolver to start from.
// A handle is the address of an open record, accepted only while it is in the
// set of open anchors, so a stale or forged handle never reaches a record.
#include "platform/path_anchor.h"

#include <errno.h>

#include <memory>
#include <unordered_set>

#include "fs/anchor_state.h"
#include "fs/resolver.h"
#include "fs/sys_calls.h"
#include "fs/win_path.h"

using namespace plat::fs;

namespace {

std::unordered_set<AnchorRecord*>& OpenAnchors() {
  static std::unordered_set<AnchorRecord*> anchors;
  return anchors;
}

enum class Force { kNone, kAnchor, kRefused };
Force force = Force::kNone;
AnchorRecord* inForce = nullptr;

AnchorRecord* Lookup(HANDLE handle) {
  auto* record = static_cast<AnchorRecord*>(handle);
  if (!record || handle == INVALID_HANDLE_VALUE || !OpenAnchors().count(record)) return nullptr;
  return record->tag == kAnchorTag ? record : nullptr;
}

}  // namespace

namespace plat::fs {

bool CurrentAnchor(const AnchorRecord** anchor) {
  *anchor = force == Force::kAnchor ? inForce : nullptr;
  if (force == Force::kRefused) {
    errno = EBADF;
    return false;
  }
  return true;
}

}  // namespace plat::fs

HANDLE OpenPathAnchor(const char* directory) {
  WinPath wp;
  Resolved r;
  if (!ParseWinPath(directory, PathUse::kName, &wp) ||
      !ResolveFromDrive(wp, FinalLink::kFollow, Want::kDescriptor, &r)) {
    return INVALID_HANDLE_VALUE;
  }
  if (!r.exists || !S_ISDIR(r.st.st_mode)) {
    errno = r.exists ? ENOTDIR : ENOENT;
    return INVALID_HANDLE_VALUE;
  }
  auto record = std::make_unique<AnchorRecord>();
  record->drive = wp.drive;
  record->parts = wp.parts;
  record->dev = r.st.st_dev;
  record->ino = r.st.st_ino;
  record->dir.Reset(r.ownSelf.Valid() ? r.ownSelf.Release() : Sys().dupfd(r.self));
  if (!record->dir.Valid()) return INVALID_HANDLE_VALUE;
  AnchorRecord* handle = record.release();
  OpenAnchors().insert(handle);
  return handle;
}

void ClosePathAnchor(HANDLE anchor) {
  AnchorRecord* record = Lookup(anchor);
  if (!record) return;
  if (inForce == record) {
    inForce = nullptr;
    force = Force::kNone;
  }
  OpenAnchors().erase(record);
  record->tag = 0;
  delete record;
}

void SetPathAnchor(HANDLE anchor) {
  if (anchor == INVALID_HANDLE_VALUE) {
    force = Force::kNone;
    inForce = nullptr;
    return;
  }
  inForce = Lookup(anchor);
  force = inForce ? Force::kAnchor : Force::kRefused;
}

BOOL PathAnchorGone(HANDLE anchor) {
  AnchorRecord* record = Lookup(anchor);
  struct stat st;
  time_t created;
  if (!record || !StatusOf(record->dir.Get(), &st, &created) || st.st_nlink == 0) return TRUE;
  WinPath wp;
  wp.drive = record->drive;
  wp.parts = record->parts;
  Resolved r;
  if (!ResolveFromDrive(wp, FinalLink::kFollow, Want::kStatus, &r))
    return errno == ENOENT || errno == ENOTDIR;
  return !r.exists || r.st.st_dev != record->dev || r.st.st_ino != record->ino;
}
