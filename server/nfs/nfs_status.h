// NFS version 2 status values (RFC 1094) and the access kinds of the checks.
#pragma once

#include <cstdint>

enum NfsStatus : uint32_t {
  NFS_OK = 0,
  NFSERR_PERM = 1,
  NFSERR_NOENT = 2,
  NFSERR_IO = 5,
  NFSERR_ACCES = 13,
  NFSERR_EXIST = 17,
  NFSERR_XDEV = 18,
  NFSERR_NOTDIR = 20,
  NFSERR_ISDIR = 21,
  NFSERR_NOSPC = 28,
  NFSERR_NAMETOOLONG = 63,
  NFSERR_NOTEMPTY = 66,
  NFSERR_STALE = 70,
};

enum AccessKind { ACCESS_READ, ACCESS_WRITE, ACCESS_SEARCH };
