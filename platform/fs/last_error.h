// The Win32 last-error value for an errno, for the layer's Win32-style calls.
#pragma once

#include <errno.h>

#include "platform/winbase.h"

namespace plat::fs {

inline DWORD Win32ErrorOf(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

// Records errno as the last error; returns the failure value for chaining.
inline int FailWithLastError() {
  SetLastError(Win32ErrorOf(errno));
  return 0;
}

}  // namespace plat::fs
