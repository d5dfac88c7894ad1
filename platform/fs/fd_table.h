// What the layer remembers about descriptors it opened (internal): the
// translation mode and the name, which _fstat needs for the execute bit.
#pragma once

#include <string>

namespace plat::fs {

struct FdInfo {
  bool text = false;
  int drive = 0;
  std::string name;  // last component as the caller spelled it
};

void RememberFd(int fd, FdInfo info);
void ForgetFd(int fd);
// A copy of the record; a descriptor the layer did not open reads as binary.
FdInfo LookupFd(int fd);

}  // namespace plat::fs
