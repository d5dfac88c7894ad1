// NFS file attributes (RFC 1094 fattr) made from a file's local status and its
// export: the export's owner owns every file, and a permission bit survives
// only where both the file and the export allow it.
#pragma once

#include <cstdint>

#include "nfs/file_handle.h"
#include "platform/windef.h"

inline constexpr int kAttributesSize = 68;

// Writes the 17 words in network order; FALSE when the status can't be read
// or the handle has no export.
BOOL MakeAttributes(const PathNode* node, const FileHandle* handle, uint8_t* out);
// The same from a status of the node's file already taken.
BOOL MakeAttributesOfStatus(const PathNode* node, const FileHandle* handle,
                            const struct _stat* status, uint8_t* out);
// A path whose status can't be read is not a directory.
BOOL IsDirectory(const PathNode* node);
