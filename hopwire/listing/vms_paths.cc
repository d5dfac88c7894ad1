// VMS directory mapping and version stripping. The controller joins VMS names
// with "/" as if they were Unix ones; a directory file "B.DIR;1" names the
// subdirectory B, so "[A]/B.DIR;1" is the directory [A.B].
#include "listing/vms_paths.h"

#include <cstring>

#include "listing/path_writer.h"

bool VmsDirectoryMapping(const char* path, char* mapped, size_t size) {
  PathWriter out = StartPath(mapped, size);
  const char* p = path;
  while (*p != '\0') {
    if (p[0] == ']' && (p[1] == '/' || p[1] == '\\')) {
      AppendChar(&out, '.');
      p += 2;
    } else if (strncmp(p, ".DIR;", 5) == 0) {
      const char* slash = strchr(p, '/');
      if (slash == nullptr) break;
      AppendChar(&out, '.');
      p = slash + 1;
    } else {
      AppendChar(&out, *p++);
    }
  }
  if (strchr(path, '[') != nullptr && (out.length == 0 || mapped[out.length - 1] != ']'))
    AppendChar(&out, ']');
  return FinishPath(&out);
}

bool StripVersions(const char* path, char* mapped, size_t size) {
  PathWriter out = StartPath(mapped, size);
  for (const char* p = path; *p != '\0'; p++) {
    if (*p == ';') {
      while (p[1] != '\0' && p[1] != '/' && p[1] != '\\')
        p++;
      continue;
    }
    AppendChar(&out, *p);
  }
  return FinishPath(&out);
}
