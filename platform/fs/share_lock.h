// Share modes of _sopen between every opener of a file, in any process.
// Four reserved byte ranges far past any real data mean "reads", "writes",
// "denies reading" and "denies writing"; an open file description claims one
// byte of a range with an OFD lock (a byte of its own, so a write-only
// description's exclusive lock meets no one). A new opener probes the ranges
// that conflict with it (F_OFD_GETLK finds any holder) and then claims its own,
// under flock(LOCK_EX) so that two openers never both pass the probe. OFD locks
// conflict between descriptions of one process too, and vanish with them.
#pragma once

namespace plat::fs {

// fd: a fresh descriptor of the file; access: _O_RDONLY/_O_WRONLY/_O_RDWR;
// share: _SH_DENY*. False with errno EACCES on a conflict.
bool AcquireShareMode(int fd, int access, int share);

}  // namespace plat::fs
