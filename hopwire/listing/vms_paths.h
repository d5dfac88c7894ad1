// Path syntax of VMS servers: remote directory paths built with "/" between
// VMS names become bracketed directory specifications, and version numbers
// are stripped from local paths made of VMS names.
#pragma once

#include <cstddef>

// "[A]/B.DIR;1/C.DIR;1" becomes "[A.B.C]".
bool VmsDirectoryMapping(const char* path, char* mapped, size_t size);
// Removes every ";" and what follows it up to the next "/" or "\".
bool StripVersions(const char* path, char* mapped, size_t size);
