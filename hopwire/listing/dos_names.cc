// Local names made from remote ones. Whatever the server sends, a file name
// comes out as one component of the current directory: no separator, no
// drive, no leading "." (so never "." or ".."), no control character.
#include "listing/dos_names.h"

#include <cstdio>
#include <cstring>

#include "listing/path_writer.h"

namespace {

// The local code page is UTF-8, where every byte of a multi-byte character is
// 0x80 or above, so stepping by bytes never replaces part of a character.
bool IsUnsafeNameByte(unsigned char c) {
  return c < 0x20 || c == 0x7f || strchr("*?:\\/<>|\"", c) != nullptr;
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

bool IsDriveLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ".000" to ".998" after the cleaned name.
constexpr int kLastUniqueNumber = 998;

// A name of a path: the longest a local file system takes, and the terminator.
constexpr size_t kComponentSize = 256;

}  // namespace

bool MakeDosFileName(const char* name, bool unique, const LocalNameCheck* check, char* localName,
                     size_t size, bool* differs) {
  size_t length = strlen(name);
  if (size > 0) localName[0] = '\0';
  if (length == 0 || length >= size) return false;
  for (size_t i = 0; i < length; i++)
    localName[i] = IsUnsafeNameByte((unsigned char)name[i]) ? '_' : name[i];
  localName[length] = '\0';
  if (localName[0] == '.') localName[0] = '_';

  if (unique && check->exists(check->context, localName)) {
    if (length + 4 >= size) {
      localName[0] = '\0';
      return false;
    }
    int number = 0;
    for (; number <= kLastUniqueNumber; number++) {
      snprintf(localName + length, size - length, ".%03d", number);
      if (!check->exists(check->context, localName)) break;
    }
    // Taking the last number anyway would write over a file the caller asked
    // to keep.
    if (number > kLastUniqueNumber) {
      localName[0] = '\0';
      return false;
    }
  }
  *differs = strcmp(localName, name) != 0;
  return true;
}

bool DosNameMapping(const char* path, char* mapped, size_t size) {
  PathWriter out = StartPath(mapped, size);
  const char* p = path;
  if (IsDriveLetter(p[0]) && p[1] == ':') {
    AppendChar(&out, p[0]);
    AppendChar(&out, ':');
    AppendChar(&out, '\\');
    p += IsSeparator(p[2]) ? 3 : 2;
  } else if (IsSeparator(p[0])) {
    AppendChar(&out, '\\');
    p++;
  }
  char component[kComponentSize];
  while (*p != '\0') {
    size_t length = strcspn(p, "/\\");
    // An empty component (a doubled or trailing separator) stays empty.
    if (length > 0) {
      if (length >= sizeof component) {
        out.overflow = true;
        break;
      }
      memcpy(component, p, length);
      component[length] = '\0';
      char name[kComponentSize];
      bool differs = false;
      MakeDosFileName(component, false, nullptr, name, sizeof name, &differs);
      AppendText(&out, name);
    }
    p += length;
    if (*p != '\0') {
      AppendChar(&out, '\\');
      p++;
    }
  }
  return FinishPath(&out);
}
