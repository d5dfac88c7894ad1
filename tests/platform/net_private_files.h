// Lets a test give its process (and the children it starts) its own copy of a
// system file, such as the resolver's configuration, in a private mount namespace.
#pragma once

#include <stddef.h>

#include <string>

namespace nettest {

bool OverrideSystemFile(const char* path, const std::string& contents);

// A file system of `bytes` (a tmpfs) mounted on the directory, in the same private
// mount namespace, so a test can fill a disk without touching the machine's.
bool MountSmallDisk(const std::string& directory, size_t bytes);

}  // namespace nettest
