#include "ui/version_info.h"

#include <stdio.h>
#include <stdlib.h>

#include "platform/winver.h"

void* ReadVersionInformation(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSize(path, &ignored);
  if (size == 0) return nullptr;
  void* block = calloc(1, size);
  if (!block) return nullptr;
  if (!GetFileVersionInfo(path, 0, size, block)) {
    free(block);
    return nullptr;
  }
  return block;
}

void FreeVersionInformation(void* block) {
  free(block);
}

const char* VersionString(const void* block, const char* key) {
  if (!block) return nullptr;
  char query[96];
  snprintf(query, sizeof query, "\\StringFileInfo\\040904E4\\%s", key);
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValue(block, query, &value, &length) || length == 0) return nullptr;
  return (const char*)value;
}

BOOL ProgramFileName(char* path, DWORD size) {
  DWORD length = GetModuleFileName(nullptr, path, size);
  return length > 0 && length < size;
}
