// The path anchor as the resolver sees it (internal; the API is
// platform/path_anchor.h). An anchor is a directory held open by descriptor,
// with the Windows path it was opened by and its identity on the host.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fs/unique_fd.h"

namespace plat::fs {

inline constexpr uint32_t kAnchorTag = 0x50414e43;

struct AnchorRecord {
  uint32_t tag = kAnchorTag;
  int drive = 0;
  std::vector<std::string> parts;  // components of the path it was opened by
  UniqueFd dir;                    // O_PATH descriptor of the directory
  dev_t dev = 0;
  ino_t ino = 0;
};

// The anchor in force, or null when none is. False with errno EBADF when the
// last SetPathAnchor named no open anchor: every file call then fails.
bool CurrentAnchor(const AnchorRecord** anchor);

}  // namespace plat::fs
