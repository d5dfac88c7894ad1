// The drive map and the process's current drive and directories (internal).
// Drives are numbered 0 = a: ... 25 = z:. c: is the host's "/" unless
// PLATFORM_DRIVES says otherwise; the variable is read once, on first use.
#pragma once

#include <string>
#include <vector>

namespace plat::fs {

inline constexpr int kDriveCount = 26;
inline constexpr int kDriveC = 2;

// The host directory of a drive without symbolic links ("/srv/c", "/"), or
// false with errno ENOENT when the letter is not mapped.
bool DriveHostDir(int drive, std::string* dir);

// The drive's directory held open (O_PATH), opened on first use and kept
// until the drive state is reset; -1 with errno when it can't be opened.
// Borrowed: callers use it within one call and never close it.
int DriveRootFd(int drive);

// The drive whose directory holds hostPath (absolute, without symlinks), the
// longest match winning; the rest of the path in components. False if none.
bool DriveOfHostPath(const std::string& hostPath, int* drive, std::vector<std::string>* rest);

int CurrentDrive();
bool SetCurrentDrive(int drive);  // errno ENOENT when unmapped
// Components of a drive's current directory below its root.
std::vector<std::string> CurrentDir(int drive);
void SetCurrentDir(int drive, std::vector<std::string> parts);

// Forget the map and the current directories; the next call reads the
// environment again. For tests that change PLATFORM_DRIVES.
void ResetDriveStateForTests();

}  // namespace plat::fs
