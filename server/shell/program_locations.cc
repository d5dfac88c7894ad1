#include "shell/program_locations.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/io.h"
#include "ui/version_info.h"

namespace {

bool Exists(const char* path) {
  return path[0] && _access(path, _A_EXISTS) == 0;
}

// The directory part of a path, up to its last backslash.
void DirectoryOf(const char* path, char* directory, size_t size) {
  const char* slash = strrchr(path, '\\');
  int length = slash ? (int)(slash - path) : 0;
  snprintf(directory, size, "%.*s", length, path);
}

}  // namespace

void LocateNamedFile(const char* directory, const char* name, char* path, size_t size) {
  snprintf(path, size, "%s\\%s", directory, name);
  const char* named = getenv(name);
  if (!Exists(path) && named) snprintf(path, size, "%s", named);
}

void LocateProgramFiles(ServerRecord* server) {
  char program[MAX_PATH] = "";
  ProgramFileName(program, sizeof program);
  char programFileDirectory[kProgramDirectorySize];
  DirectoryOf(program, programFileDirectory, sizeof programFileDirectory);
  const char* appsDirectory = getenv("TCPAPPS_DIR");
  snprintf(server->programDirectory, sizeof server->programDirectory, "%s",
           appsDirectory ? appsDirectory : programFileDirectory);

  LocateNamedFile(server->programDirectory, "TOLMID.INI", server->settingsFile,
                  sizeof server->settingsFile);

  snprintf(server->helpFile, sizeof server->helpFile, "%s\\%s", server->programDirectory,
           "TOLPMID.HLP");
  if (Exists(server->helpFile)) return;
  char besideProgram[kSettingsPathSize];
  snprintf(besideProgram, sizeof besideProgram, "%s\\%s", programFileDirectory, "TOLPMID.HLP");
  const char* namedHelp = getenv("TOLPMID.HLP");
  if (Exists(besideProgram)) {
    snprintf(server->helpFile, sizeof server->helpFile, "%s", besideProgram);
  } else if (namedHelp && Exists(namedHelp)) {
    snprintf(server->helpFile, sizeof server->helpFile, "%s", namedHelp);
  }
}
