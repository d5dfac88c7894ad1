// Host paths for what must be shown to a person or compared as text, never
// reopened by the layer: the program file's name and a file chooser's answer
// become Windows paths; a resolved directory is named for a chooser to show.
#pragma once

#include <string>

namespace plat::fs {

// The host's current name of the directory a Windows path leads to, read
// from its descriptor (/proc/self/fd), for a file chooser to start in.
// False with errno when the path leads to no directory.
bool DirectoryForChooser(const char* winPath, std::string* hostPath);

// "C:\dir\name" for an absolute host path under a mapped drive; false (errno
// ENOENT) when no drive holds it, or EINVAL when a name holds a backslash.
bool WindowsPathOf(const std::string& hostPath, std::string* winPath);

}  // namespace plat::fs
