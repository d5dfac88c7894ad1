// File handle layout and resolution.
#include "nfs/file_handle.h"

#include <cassert>
#include <cstring>

namespace {

enum {
  MAGIC_AT = 0,
  STAMP_AT = 4,
  SERIAL_AT = 8,
  BUCKET_AT = 10,
  ROOT_SERIAL_AT = 12,
  ROOT_BUCKET_AT = 14,
  FILLER_AT = 16,
};

uint16_t Get16(const FileHandle* handle, int at) {
  return (uint16_t)(handle->bytes[at] | handle->bytes[at + 1] << 8);
}

void Put16(FileHandle* handle, int at, uint16_t value) {
  handle->bytes[at] = (uint8_t)value;
  handle->bytes[at + 1] = (uint8_t)(value >> 8);
}

}  // namespace

uint16_t HandleMagic(const FileHandle* handle) {
  return Get16(handle, MAGIC_AT);
}

uint32_t HandleStamp(const FileHandle* handle) {
  return (uint32_t)Get16(handle, STAMP_AT) | (uint32_t)Get16(handle, STAMP_AT + 2) << 16;
}

uint16_t HandleSerial(const FileHandle* handle) {
  return Get16(handle, SERIAL_AT);
}

uint16_t HandleBucket(const FileHandle* handle) {
  return Get16(handle, BUCKET_AT);
}

uint16_t HandleRootSerial(const FileHandle* handle) {
  return Get16(handle, ROOT_SERIAL_AT);
}

uint16_t HandleRootBucket(const FileHandle* handle) {
  return Get16(handle, ROOT_BUCKET_AT);
}

void MakeFileHandle(const PathNode* node, const FileHandle* parent, FileHandle* handle) {
  assert(node->magic == kPathNodeMagic);
  uint32_t stamp = HandleTableStamp();
  // Read first: the parent may be the very handle being made.
  uint16_t rootSerial = parent ? HandleRootSerial(parent) : node->serial;
  uint16_t rootBucket = parent ? HandleRootBucket(parent) : node->bucket;
  memset(handle->bytes + FILLER_AT, kFileHandleFiller, kFileHandleSize - FILLER_AT);
  Put16(handle, MAGIC_AT, kFileHandleMagic);
  Put16(handle, 2, 0);
  Put16(handle, STAMP_AT, (uint16_t)stamp);
  Put16(handle, STAMP_AT + 2, (uint16_t)(stamp >> 16));
  Put16(handle, SERIAL_AT, node->serial);
  Put16(handle, BUCKET_AT, node->bucket);
  Put16(handle, ROOT_SERIAL_AT, rootSerial);
  Put16(handle, ROOT_BUCKET_AT, rootBucket);
}

PathNode* NodeFromHandle(const FileHandle* handle) {
  if (HandleMagic(handle) != kFileHandleMagic || HandleStamp(handle) != HandleTableStamp()) {
    return nullptr;
  }
  return NodeFromId(HandleBucket(handle), HandleSerial(handle));
}
