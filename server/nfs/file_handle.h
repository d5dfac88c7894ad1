// The 32-byte NFS file handle: magic, the table's stamp, the bucket and serial
// of the path's record and of its export root's record, filler 0xFA. Integers
// are little-endian. No path text ever goes into a handle.
#pragma once

#include <cstdint>

#include "nfs/handle_table.h"

inline constexpr int kFileHandleSize = 32;
inline constexpr uint16_t kFileHandleMagic = 0x4648;
inline constexpr uint8_t kFileHandleFiller = 0xFA;

struct FileHandle {
  uint8_t bytes[kFileHandleSize];
};

// With no parent the handle names the node itself as its export root.
void MakeFileHandle(const PathNode* node, const FileHandle* parent, FileHandle* handle);
// None for a wrong magic, a foreign stamp, a bucket above 19 or a path that
// has no record any more. Bytes 2-3 and 12-31 are not examined.
PathNode* NodeFromHandle(const FileHandle* handle);

uint16_t HandleMagic(const FileHandle* handle);
uint32_t HandleStamp(const FileHandle* handle);
uint16_t HandleSerial(const FileHandle* handle);
uint16_t HandleBucket(const FileHandle* handle);
uint16_t HandleRootSerial(const FileHandle* handle);
uint16_t HandleRootBucket(const FileHandle* handle);
