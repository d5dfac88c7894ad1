// Whether a path names an existing directory the way the server will use it:
// letter, colon, backslash, then a drive the platform maps and a directory it
// can make current (names resolve without regard to case). The process's
// current drive and directories are the same afterwards.
#pragma once

#include "platform/windef.h"

BOOL IsExistingDirectory(const char* path);
