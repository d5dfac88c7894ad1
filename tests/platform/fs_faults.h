// Test support: a table of the file layer's host calls that counts every call
// by kind and fails the k-th call of one kind with a chosen errno, and a
// snapshot of the process's open descriptors to check that nothing leaked.
#pragma once

#include <set>
#include <string>

namespace fs_faults {

enum Kind {
  kOpenat,
  kOpenat2,
  kStatx,
  kReadlinkat,
  kGetdents,
  kRead,
  kPread,
  kWrite,
  kRenameat2,
  kUnlinkat,
  kMkdirat,
  kFchmodat,
  kFchmod,
  kFchown,
  kUtimensat,
  kFutimens,
  kFtruncate,
  kFdatasync,
  kFsync,
  kFlock,
  kLockctl,
  kDupfd,
  kFstatvfs,
  kKinds
};

const char* KindName(int kind);

// Counts calls from now on; the k-th call (from 1) of kind fails with err.
// k = 0 fails nothing. Until Uninstall the layer uses the counting table.
void Install(int kind = kKinds, int k = 0, int err = 0);
void Uninstall();
int Count(int kind);
// Whether the planned fault was reached.
bool Fired();

// The numbers of the open descriptors, read from /proc/self/fd.
std::set<std::string> OpenDescriptors();

}  // namespace fs_faults
