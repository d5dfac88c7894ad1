// Windows-style file status and attributes from host status (internal).
// Read-only means no write permission bit at all on the host file; the layer
// enforces it itself because a process running as root would ignore it.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/io.h"

namespace plat::fs {

bool IsReadOnly(const struct stat& st);
bool IsExecutableName(const std::string& name);

// Fills status for a file or directory; name decides the execute bit.
void MakeWindowsStatus(const struct stat& st, time_t created, const std::string& name, int drive,
                       bool isRoot, struct _stat* status);

// 1980-01-01 00:00 local time: the times of a drive's root.
time_t DriveRootTime();

// FILE_ATTRIBUTE_* bits; hidden for names starting with "." (but "." and "..").
unsigned WindowsAttributes(const struct stat& st, const std::string& name);

// The umask of the process, read without changing it.
mode_t CurrentUmask();

}  // namespace plat::fs
