// What the layer asks of a descriptor it holds: its status in one statx, and
// a descriptor of another kind for the same file. Nothing here looks a name
// up except StatusAt, which takes one entry name of a held directory.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <string>

namespace plat::fs {

// The name of an O_PATH descriptor's file for the calls that take no
// descriptor of that kind (open for reading or writing, chmod, utimes).
// The kernel follows /proc/self/fd/N to the very inode the descriptor holds;
// no component name is looked up, so nothing swapped in since the walk can
// be reached through it. It is host path text only in form.
std::string ProcFdPath(int fd);

// A readable or writable descriptor of the file an O_PATH descriptor holds.
int ReopenFd(int pathFd, int flags);

// Status and creation time of what fd (any kind) reaches: one statx.
bool StatusOf(int fd, struct stat* st, time_t* created);
// The same for the entry name of directory dirFd, a link itself not followed.
bool StatusAt(int dirFd, const std::string& name, struct stat* st, time_t* created);

}  // namespace plat::fs
