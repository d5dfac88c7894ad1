// An NFS version 2 and mount version 1 client generated with rpcgen from
// Debian's protocol files, over libtirpc and UDP with AUTH_UNIX credentials.
// The calls return the generated result records (valid until the next call of
// the same procedure); a failed RPC fails the test and gives null.
#pragma once

#include <string>
#include <vector>

#include "mount_prot.h"
#include "nfs_prot.h"

class NfsClient {
 public:
  NfsClient(const char* host, unsigned uid, unsigned gid, std::vector<unsigned> gids = {});
  ~NfsClient();
  NfsClient(const NfsClient&) = delete;
  NfsClient& operator=(const NfsClient&) = delete;
  bool Ready() const { return nfs_ && mount_; }

  // MNT: the status and, on success, the handle.
  int Mount(const std::string& path, nfs_fh* handle);
  exports Export();

  attrstat* GetAttr(const nfs_fh& file);
  attrstat* SetAttr(const nfs_fh& file, unsigned mode, unsigned uid, unsigned size);
  diropres* Lookup(const nfs_fh& dir, const std::string& name);
  readres* Read(const nfs_fh& file, unsigned offset, unsigned count);
  attrstat* Write(const nfs_fh& file, unsigned offset, const std::string& data);
  diropres* Create(const nfs_fh& dir, const std::string& name);
  diropres* Mkdir(const nfs_fh& dir, const std::string& name);
  int Remove(const nfs_fh& dir, const std::string& name);
  int Rmdir(const nfs_fh& dir, const std::string& name);
  int Rename(const nfs_fh& from, const std::string& fromName, const nfs_fh& to,
             const std::string& toName);
  int Link(const nfs_fh& file, const nfs_fh& dir, const std::string& name);
  readdirres* ReadDir(const nfs_fh& dir, unsigned cookie, unsigned count);
  statfsres* StatFs(const nfs_fh& file);
  // Every name of a directory, paging with `count` bytes a call; false when a
  // page fails. `eachPage` (optional) runs on each page's names before the next.
  bool ListAll(const nfs_fh& dir, unsigned count, std::vector<std::string>* names,
               void (*eachPage)(NfsClient*, const nfs_fh&,
                                const std::vector<std::string>&) = nullptr);

  CLIENT* nfs() const { return nfs_; }

 private:
  CLIENT* nfs_ = nullptr;
  CLIENT* mount_ = nullptr;
};

// The status of a result record, or -1 for a failed call.
template <typename Result>
int StatusOf(const Result* result) {
  return result ? (int)result->status : -1;
}

inline bool SameHandle(const nfs_fh& a, const nfs_fh& b) {
  return std::string(a.data, NFS_FHSIZE) == std::string(b.data, NFS_FHSIZE);
}
