// Reading a directory's names from a descriptor that reaches it (O_PATH will
// do): the listing is opened as "." of that descriptor, never by path text.
// "." and ".." are passed on like any name; callers skip what they don't want.
#pragma once

#include <string_view>

#include "fs/unique_fd.h"

namespace plat::fs {

class DirReader {
 public:
  // False with errno when the directory can't be listed.
  bool Open(int dirFd);
  // The next name (valid until the next call). False at the end with errno 0,
  // or with errno set when the host fails.
  bool Next(std::string_view* name);

 private:
  UniqueFd fd_;
  alignas(8) char buffer_[32768];
  size_t used_ = 0;
  size_t filled_ = 0;
};

}  // namespace plat::fs
