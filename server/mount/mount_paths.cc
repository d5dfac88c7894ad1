// Path form conversions of the mount protocol.
#include "mount/mount_paths.h"

#include <cstring>

BOOL LocalPathOf(const char* path, char* local, size_t size) {
  size_t length = strlen(path);
  BOOL slashForm = length >= 2 && path[0] == '/' && (path[2] == '/' || path[2] == '\0');
  if (!slashForm) {
    if (length >= size) return FALSE;
    memcpy(local, path, length + 1);
    return TRUE;
  }
  // "/c" and "/c/" both name the drive's root, "c:\".
  if (length + 1 >= size) return FALSE;
  local[0] = path[1];
  local[1] = ':';
  local[2] = '\\';
  size_t used = 3;
  for (const char* c = path + 3; c < path + length; c++)
    local[used++] = *c == '/' ? '\\' : *c;
  local[used] = '\0';
  return TRUE;
}

BOOL SlashFormOf(const char* local, char* slash, size_t size) {
  size_t length = strlen(local);
  if (length < 3 || local[1] != ':' || local[2] != '\\') {
    if (length >= size) return FALSE;
    memcpy(slash, local, length + 1);
    return TRUE;
  }
  if (length + 1 > size) return FALSE;
  slash[0] = '/';
  slash[1] = local[0];
  size_t used = 2;
  for (const char* c = local + 2; *c; c++)
    slash[used++] = *c == '\\' ? '/' : *c;
  // c:\ is /c, not /c/.
  if (used == 3 && slash[2] == '/') used = 2;
  slash[used] = '\0';
  return TRUE;
}
