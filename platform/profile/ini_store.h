// INI files on disk: reading one whole, and replacing one atomically.
// A replacement is a temporary file created in the file's directory, held
// open by descriptor from the resolution on, made durable and renamed over
// the old one in that same directory, so a reader or a crash sees the old or
// the new file, never a mixture, and nothing is written anywhere else.
// Writers of one directory take turns (flock).
#pragma once

#include <sys/stat.h>

#include <string>

#include "fs/unique_fd.h"

namespace plat::profile {

// Reads the file named by a Windows path; a missing file reads as empty.
// False with errno when the path is invalid or the file can't be read.
bool ReadIniFile(const char* fileName, std::string* bytes);

// A file's directory held for a read-modify-write cycle.
class IniWriteLock {
 public:
  // Resolves fileName and locks its directory; Ok() tells whether that worked.
  explicit IniWriteLock(const char* fileName);
  bool Ok() const { return ok_; }
  // The current contents under the lock; exists says whether the file does.
  bool Read(std::string* bytes, bool* exists);
  // Replaces the file with bytes, keeping its permission bits and owner.
  // A read-only file is not replaced (EACCES).
  bool Replace(const std::string& bytes);

 private:
  void RemoveStaleTemporaries();
  bool ok_ = false;
  plat::fs::UniqueFd dir_;  // the directory, opened for listing and locking
  std::string name_;
  bool exists_ = false;
  struct stat st_ {};
};

}  // namespace plat::profile
