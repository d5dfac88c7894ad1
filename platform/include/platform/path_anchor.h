// A directory held open so that file calls below it resolve from it and never
// leave it: the file calls of platform/io.h, direct.h and winbase.h on a path
// at or below the anchor's directory (components compared without regard to
// ASCII case) walk the rest from the held descriptor, not from the drive.
#pragma once

#include "platform/winbase.h"  // INVALID_HANDLE_VALUE

// INVALID_HANDLE_VALUE with errno when directory is not an existing directory.
// The directory is found from its drive's root, whatever anchor is in force.
HANDLE OpenPathAnchor(const char* directory);
// Also clears the anchor when it is the one in force.
void ClosePathAnchor(HANDLE anchor);

// While an anchor is in force, ".." never rises above it; a symbolic link
// whose target lies outside it counts as absent (ENOENT) and _findfirst
// leaves it out; a link whose target stays inside works as its target (an
// absolute one is inside when its walk from the drive's root passes through
// the anchor's directory itself). A call on a path not below the anchor fails
// with EACCES; _getdiskfree answers for the anchor's drive only.
// SetPathAnchor(INVALID_HANDLE_VALUE) clears it; a handle that names no open
// anchor makes every file call fail with EBADF until the next SetPathAnchor.
// One thread, one anchor in force at a time.
void SetPathAnchor(HANDLE anchor);

// Whether the held directory has been removed, or its path now leads to
// another directory or none, so that the caller should open it again by path.
BOOL PathAnchorGone(HANDLE anchor);
