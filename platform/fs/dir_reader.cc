// Directory listing by getdents64 through the layer's call table.
#include "fs/dir_reader.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stddef.h>
#include <string.h>

#include "fs/sys_calls.h"

namespace plat::fs {

bool DirReader::Open(int dirFd) {
  fd_.Reset(Sys().openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  used_ = filled_ = 0;
  return fd_.Valid();
}

bool DirReader::Next(std::string_view* name) {
  for (;;) {
    if (used_ < filled_) {
      const char* record = buffer_ + used_;
      unsigned short length;
      memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
      if (length == 0 || length > filled_ - used_) {
        errno = EIO;  // the kernel never hands out such a record
        return false;
      }
      used_ += length;
      const char* text = record + offsetof(struct dirent64, d_name);
      *name = std::string_view(text, strnlen(text, length - offsetof(struct dirent64, d_name)));
      return true;
    }
    ssize_t n;
    do {
      n = Sys().getdents(fd_.Get(), buffer_, sizeof buffer_);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      if (n == 0) errno = 0;
      return false;
    }
    used_ = 0;
    filled_ = (size_t)n;
  }
}

}  // namespace plat::fs
