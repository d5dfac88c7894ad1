// The program's name and version come from its own version resource, read back
// from the program file: the window title, message box captions, the console's
// start line, the settings key `version` and the about box all use it.
#pragma once

#include "platform/windows.h"

// A zero-filled heap block holding the file's whole version information; none
// when the file has none or can't be read. The caller frees it.
void* ReadVersionInformation(const char* path);
void FreeVersionInformation(void* block);
// FileDescription, FileVersion, CompanyName, LegalCopyright, ProductName: the
// text inside the block, or none when missing or empty.
const char* VersionString(const void* block, const char* key);

// The running program's file, for the readers above.
BOOL ProgramFileName(char* path, DWORD size);
