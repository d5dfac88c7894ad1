#include "support/nfs_client.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

void Fail(CLIENT* client, const char* what) {
  ADD_FAILURE() << clnt_sperror(client, what);
}

template <typename Result>
Result* Checked(Result* result, CLIENT* client, const char* what) {
  if (!result) Fail(client, what);
  return result;
}

diropargs Where(const nfs_fh& dir, const std::string& name) {
  diropargs where;
  where.dir = dir;
  where.name = const_cast<char*>(name.c_str());
  return where;
}

sattr Unset() {
  sattr set;
  memset(&set, 0xFF, sizeof set);
  return set;
}

}  // namespace

NfsClient::NfsClient(const char* host, unsigned uid, unsigned gid, std::vector<unsigned> gids) {
  nfs_ = clnt_create(host, NFS_PROGRAM, NFS_VERSION, "udp");
  mount_ = clnt_create(host, MOUNTPROG, MOUNTVERS, "udp");
  if (!Ready()) {
    ADD_FAILURE() << clnt_spcreateerror(host);
    return;
  }
  timeval total{3, 0};
  std::vector<gid_t> groups(gids.begin(), gids.end());
  for (CLIENT* client : {nfs_, mount_}) {
    clnt_control(client, CLSET_TIMEOUT, (char*)&total);
    auth_destroy(client->cl_auth);
    client->cl_auth = authunix_create((char*)"client", uid, gid, (int)groups.size(), groups.data());
  }
}

NfsClient::~NfsClient() {
  for (CLIENT* client : {nfs_, mount_}) {
    if (!client) continue;
    auth_destroy(client->cl_auth);
    clnt_destroy(client);
  }
}

int NfsClient::Mount(const std::string& path, nfs_fh* handle) {
  char* dir = const_cast<char*>(path.c_str());
  fhstatus* result = Checked(mountproc_mnt_1(&dir, mount_), mount_, "MNT");
  if (!result) return -1;
  if (result->fhs_status == 0) memcpy(handle->data, result->fhstatus_u.fhs_fhandle, NFS_FHSIZE);
  return (int)result->fhs_status;
}

exports NfsClient::Export() {
  exports* result = Checked(mountproc_export_1(nullptr, mount_), mount_, "EXPORT");
  return result ? *result : nullptr;
}

attrstat* NfsClient::GetAttr(const nfs_fh& file) {
  nfs_fh argument = file;
  return Checked(nfsproc_getattr_2(&argument, nfs_), nfs_, "GETATTR");
}

attrstat* NfsClient::SetAttr(const nfs_fh& file, unsigned mode, unsigned uid, unsigned size) {
  sattrargs args{file, Unset()};
  args.attributes.mode = mode;
  args.attributes.uid = uid;
  args.attributes.size = size;
  return Checked(nfsproc_setattr_2(&args, nfs_), nfs_, "SETATTR");
}

diropres* NfsClient::Lookup(const nfs_fh& dir, const std::string& name) {
  diropargs args = Where(dir, name);
  return Checked(nfsproc_lookup_2(&args, nfs_), nfs_, "LOOKUP");
}

readres* NfsClient::Read(const nfs_fh& file, unsigned offset, unsigned count) {
  readargs args{file, offset, count, count};
  return Checked(nfsproc_read_2(&args, nfs_), nfs_, "READ");
}

attrstat* NfsClient::Write(const nfs_fh& file, unsigned offset, const std::string& data) {
  writeargs args{file, offset, offset, (unsigned)data.size(), {}};
  args.data.data_len = (u_int)data.size();
  args.data.data_val = const_cast<char*>(data.data());
  return Checked(nfsproc_write_2(&args, nfs_), nfs_, "WRITE");
}

diropres* NfsClient::Create(const nfs_fh& dir, const std::string& name) {
  createargs args{Where(dir, name), Unset()};
  return Checked(nfsproc_create_2(&args, nfs_), nfs_, "CREATE");
}

diropres* NfsClient::Mkdir(const nfs_fh& dir, const std::string& name) {
  createargs args{Where(dir, name), Unset()};
  return Checked(nfsproc_mkdir_2(&args, nfs_), nfs_, "MKDIR");
}

int NfsClient::Remove(const nfs_fh& dir, const std::string& name) {
  diropargs args = Where(dir, name);
  nfsstat* result = Checked(nfsproc_remove_2(&args, nfs_), nfs_, "REMOVE");
  return result ? (int)*result : -1;
}

int NfsClient::Rmdir(const nfs_fh& dir, const std::string& name) {
  diropargs args = Where(dir, name);
  nfsstat* result = Checked(nfsproc_rmdir_2(&args, nfs_), nfs_, "RMDIR");
  return result ? (int)*result : -1;
}

int NfsClient::Rename(const nfs_fh& from, const std::string& fromName, const nfs_fh& to,
                      const std::string& toName) {
  renameargs args{Where(from, fromName), Where(to, toName)};
  nfsstat* result = Checked(nfsproc_rename_2(&args, nfs_), nfs_, "RENAME");
  return result ? (int)*result : -1;
}

int NfsClient::Link(const nfs_fh& file, const nfs_fh& dir, const std::string& name) {
  linkargs args{file, Where(dir, name)};
  nfsstat* result = Checked(nfsproc_link_2(&args, nfs_), nfs_, "LINK");
  return result ? (int)*result : -1;
}

readdirres* NfsClient::ReadDir(const nfs_fh& dir, unsigned cookie, unsigned count) {
  readdirargs args;
  args.dir = dir;
  unsigned wire = htonl(cookie);
  memcpy(args.cookie, &wire, sizeof wire);
  args.count = count;
  // The previous page's list is the library's to free before the next.
  static readdirres* last = nullptr;
  if (last) xdr_free((xdrproc_t)xdr_readdirres, (char*)last);
  last = Checked(nfsproc_readdir_2(&args, nfs_), nfs_, "READDIR");
  return last;
}

statfsres* NfsClient::StatFs(const nfs_fh& file) {
  nfs_fh argument = file;
  return Checked(nfsproc_statfs_2(&argument, nfs_), nfs_, "STATFS");
}

bool NfsClient::ListAll(const nfs_fh& dir, unsigned count, std::vector<std::string>* names,
                        void (*eachPage)(NfsClient*, const nfs_fh&,
                                         const std::vector<std::string>&)) {
  unsigned cookie = 0;
  for (int pages = 0; pages < 100000; pages++) {
    readdirres* result = ReadDir(dir, cookie, count);
    if (StatusOf(result) != NFS_OK) return false;
    std::vector<std::string> page;
    for (entry* e = result->readdirres_u.reply.entries; e; e = e->nextentry) {
      page.push_back(e->name);
      unsigned wire;
      memcpy(&wire, e->cookie, sizeof wire);
      cookie = ntohl(wire);
    }
    bool eof = result->readdirres_u.reply.eof;
    names->insert(names->end(), page.begin(), page.end());
    if (eachPage) eachPage(this, dir, page);
    if (eof) return true;
    if (page.empty()) return false;  // a page too small for one entry
  }
  return false;
}
