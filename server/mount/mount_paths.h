// The two spellings of an exported path: the local form (c:\data\pub) and the
// slash form clients of other systems use (/c/data/pub, and /c for c:\).
#pragma once

#include <cstddef>

#include "platform/windef.h"

// A path of the slash form becomes local; any other is taken as it is.
// FALSE when the result wouldn't fit `size`.
BOOL LocalPathOf(const char* path, char* local, size_t size);
// The slash form of a local path; FALSE when it wouldn't fit.
BOOL SlashFormOf(const char* local, char* slash, size_t size);
