// The NFS and mount programs through a client generated with rpcgen from
// Debian's protocol files, against the real program in a network namespace of
// its own: every procedure as a client that nobody here wrote sees it.
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "support/call_builder.h"
#include "support/nfs_client.h"
#include "support/real_server.h"
#include "tests/support/udp_client.h"

namespace {

const char kSections[] =
    "[TOLmid_user_01]\r\nusername=guest\r\npassword=\r\nuid=500\r\ngid=100\r\n"
    "[TOLmid_user_02]\r\nusername=alice\r\npassword=\r\nuid=600\r\ngid=600\r\n"
    "[TOLmid_export_00]\r\ndir=d:\\export\r\nowner=guest\r\naccess=rwxr-xr-x\r\n"
    "[TOLmid_export_01]\r\ndir=d:\\strict\r\nowner=alice\r\naccess=rwx------\r\n";

class Nfs : public RealServerTest {
 protected:
  void SetUp() override {
    RealServerTest::SetUp();
    mkdir(Host("export").c_str(), 0755);
    mkdir(Host("strict").c_str(), 0755);
    mkdir(Host("outside").c_str(), 0755);
    WriteHost("export/README.TXT", "hello from the export\n");
    WriteHost("outside/secret", "not for clients");
  }
  void Start(const std::string& keys = "") {
    Launch("portmapenabled=ON\r\nenabled=ON\r\n" + keys, kSections, "Mount Daemon started.");
    client_ = std::make_unique<NfsClient>("127.0.0.1", 500, 100);
    ASSERT_TRUE(client_->Ready());
    ASSERT_EQ(client_->Mount("/d/export", &root_), 0);
  }
  void TearDown() override {
    client_.reset();
    RealServerTest::TearDown();
  }

  nfs_fh Handle(const diropres* result) {
    EXPECT_EQ(StatusOf(result), NFS_OK);
    return result ? result->diropres_u.diropres.file : nfs_fh{};
  }
  std::string ReadAll(const nfs_fh& file) {
    std::string data;
    for (;;) {
      readres* r = client_->Read(file, (unsigned)data.size(), 8192);
      if (StatusOf(r) != NFS_OK) return "<" + std::to_string(StatusOf(r)) + ">";
      const auto& bytes = r->readres_u.reply.data;
      if (bytes.data_len == 0) return data;
      data.append(bytes.data_val, bytes.data_len);
    }
  }
  // The outside directory as it was made: nothing a client did reached it.
  void ExpectOutsideUntouched() {
    EXPECT_EQ(ReadHost("outside/secret"), "not for clients");
    EXPECT_EQ(testsupport::Shell("ls -A " + Host("outside")), "secret\n");
    EXPECT_EQ(testsupport::Shell("ls -A " + base_),
              "TOLMID.INI\nexport\nnfsfile.hsh\noutside\nstrict\ntolmid.log\n");
  }

  std::unique_ptr<NfsClient> client_;
  nfs_fh root_{};
};

TEST_F(Nfs, MountFindsExportsByWholeComponentsAndListsThem) {
  Start("exportunixstyle=ON");
  nfs_fh local, sub;
  EXPECT_EQ(client_->Mount("d:\\export", &local), 0);
  EXPECT_TRUE(SameHandle(local, root_));
  EXPECT_EQ(client_->Mount("/D/Export", &local), 2);  // case matters
  EXPECT_EQ(client_->Mount("/d/exports", &local), 2);
  EXPECT_EQ(client_->Mount("/d/outside", &local), 2);
  EXPECT_EQ(client_->Mount("/c/etc", &local), 2);
  EXPECT_EQ(client_->Mount("/d/export/../outside", &local), 2);
  // A subdirectory is mountable once a client reached it, and its handle
  // carries its export: it is served with the export's rights.
  ASSERT_EQ(StatusOf(client_->Mkdir(root_, "Sub")), NFS_OK);
  EXPECT_EQ(client_->Mount("/d/export/sub", &sub), 0);
  EXPECT_EQ(StatusOf(client_->Create(sub, "made-in-sub")), NFS_OK);
  EXPECT_EQ(access(Host("export/Sub/made-in-sub").c_str(), F_OK), 0);
  // uid 0 never gets the owner's rights: alice's export is closed to root.
  NfsClient root("127.0.0.1", 0, 0);
  EXPECT_EQ(root.Mount("/d/strict", &local), 13);
  NfsClient alice("127.0.0.1", 600, 600);
  EXPECT_EQ(alice.Mount("/d/strict", &local), 0);

  std::vector<std::string> listed;
  for (exports e = client_->Export(); e; e = e->ex_next)
    listed.push_back(e->ex_dir);
  EXPECT_EQ(listed, (std::vector<std::string>{"/d/export", "/d/strict"}));
  std::string shown = testsupport::Shell("showmount -e 127.0.0.1");
  EXPECT_NE(shown.find("/d/export"), std::string::npos) << shown;
  EXPECT_NE(shown.find("/d/strict"), std::string::npos) << shown;
}

TEST_F(Nfs, FilesAreCreatedWrittenReadRenamedCopiedAndRemoved) {
  Start();
  // Names in any case reach the same file, listed in lower case.
  nfs_fh readme = Handle(client_->Lookup(root_, "README.TXT"));
  EXPECT_TRUE(SameHandle(readme, Handle(client_->Lookup(root_, "readme.txt"))));
  EXPECT_EQ(ReadAll(readme), "hello from the export\n");
  // The default transfer size caps a READ at 1024 bytes.
  WriteHost("export/big", std::string(5000, 'b'));
  readres* big = client_->Read(Handle(client_->Lookup(root_, "big")), 0, 8192);
  ASSERT_EQ(StatusOf(big), NFS_OK);
  EXPECT_EQ(big->readres_u.reply.data.data_len, 1024u);

  nfs_fh notes = Handle(client_->Create(root_, "Notes.txt"));
  EXPECT_EQ(StatusOf(client_->Write(notes, 0, "first line\n")), NFS_OK);
  EXPECT_EQ(StatusOf(client_->Write(notes, 11, "second line\n")), NFS_OK);
  EXPECT_EQ(ReadHost("export/Notes.txt"), "first line\nsecond line\n");
  attrstat* attributes = client_->GetAttr(notes);
  ASSERT_EQ(StatusOf(attributes), NFS_OK);
  const fattr& a = attributes->attrstat_u.attributes;
  EXPECT_EQ(a.type, NFREG);
  EXPECT_EQ(a.size, 23u);
  EXPECT_EQ(a.blocks, 1u);
  EXPECT_EQ(a.uid, 500u);
  EXPECT_EQ(a.gid, 100u);
  EXPECT_EQ(a.mode, 0100644u);  // rw- from the file, masked by rwxr-xr-x
  // CREATE of an existing name empties it and keeps its handle.
  EXPECT_TRUE(SameHandle(notes, Handle(client_->Create(root_, "notes.txt"))));
  EXPECT_EQ(ReadHost("export/Notes.txt"), "");
  EXPECT_EQ(StatusOf(client_->Write(notes, 0, "0123456789")), NFS_OK);
  EXPECT_EQ(StatusOf(client_->SetAttr(notes, ~0u, ~0u, 4)), NFS_OK);
  EXPECT_EQ(ReadHost("export/Notes.txt"), "0123");

  // SETATTR never gives files away, and only ever makes them read-only.
  EXPECT_EQ(StatusOf(client_->SetAttr(notes, ~0u, 500, ~0u)), NFSERR_PERM);
  ASSERT_EQ(StatusOf(client_->SetAttr(notes, 0444, ~0u, ~0u)), NFS_OK);
  ASSERT_EQ(StatusOf(client_->SetAttr(notes, 0644, ~0u, ~0u)), NFS_OK);
  EXPECT_EQ(client_->GetAttr(notes)->attrstat_u.attributes.mode, 0100444u);
  EXPECT_EQ(StatusOf(client_->Write(notes, 0, "x")), NFSERR_IO);

  // LINK copies: two files with equal contents, changed independently.
  EXPECT_EQ(client_->Link(readme, root_, "copy.txt"), NFS_OK);
  EXPECT_EQ(client_->Link(readme, root_, "copy.txt"), NFSERR_EXIST);
  nfs_fh copy = Handle(client_->Lookup(root_, "copy.txt"));
  EXPECT_EQ(ReadAll(copy), "hello from the export\n");
  EXPECT_EQ(client_->GetAttr(copy)->attrstat_u.attributes.mtime.seconds,
            client_->GetAttr(readme)->attrstat_u.attributes.mtime.seconds);
  EXPECT_EQ(StatusOf(client_->Write(copy, 0, "HELLO")), NFS_OK);
  EXPECT_EQ(ReadAll(readme), "hello from the export\n");

  // RENAME moves files, not directories, replacing a file of the new name;
  // the handles of the old name and of the replaced file go stale.
  nfs_fh replaced = Handle(client_->Create(root_, "Moved.txt"));
  EXPECT_EQ(client_->Rename(root_, "copy.txt", root_, "moved.txt"), NFS_OK);
  EXPECT_EQ(ReadHost("export/Moved.txt"), "HELLO from the export\n");
  EXPECT_EQ(StatusOf(client_->GetAttr(copy)), NFSERR_STALE);
  EXPECT_EQ(StatusOf(client_->GetAttr(replaced)), NFSERR_STALE);
  EXPECT_EQ(StatusOf(client_->Lookup(root_, "copy.txt")), NFSERR_NOENT);

  nfs_fh dir = Handle(client_->Mkdir(root_, "Dir"));
  EXPECT_EQ(StatusOf(client_->Mkdir(root_, "dir")), NFSERR_NOENT);
  EXPECT_EQ(client_->GetAttr(dir)->attrstat_u.attributes.type, NFDIR);
  EXPECT_EQ(client_->Rename(root_, "dir", root_, "dir2"), NFSERR_ISDIR);
  EXPECT_EQ(client_->Rename(root_, "Moved.txt", dir, "inside.txt"), NFS_OK);
  EXPECT_EQ(client_->Rmdir(root_, "dir"), NFSERR_NOTEMPTY);
  EXPECT_EQ(client_->Remove(root_, "dir"), NFSERR_ISDIR);
  EXPECT_EQ(client_->Rmdir(dir, "inside.txt"), NFSERR_NOTDIR);
  EXPECT_EQ(client_->Remove(dir, "inside.txt"), NFS_OK);
  EXPECT_EQ(client_->Remove(dir, "inside.txt"), NFSERR_NOENT);
  EXPECT_EQ(client_->Rmdir(root_, "dir"), NFS_OK);
  EXPECT_EQ(access(Host("export/Dir").c_str(), F_OK), -1);

  // "." and ".." give the directory itself, at an export's root too.
  EXPECT_TRUE(SameHandle(root_, Handle(client_->Lookup(root_, ".."))));
  EXPECT_TRUE(SameHandle(root_, Handle(client_->Lookup(root_, "."))));
  EXPECT_EQ(StatusOf(client_->Lookup(readme, "x")), NFSERR_NOTDIR);
  EXPECT_EQ(StatusOf(client_->Read(root_, 0, 10)), NFSERR_ISDIR);

  statfsres* space = client_->StatFs(root_);
  ASSERT_EQ(StatusOf(space), NFS_OK);
  EXPECT_EQ(space->statfsres_u.reply.tsize, 1024u);
  EXPECT_GT(space->statfsres_u.reply.blocks, 0u);
  EXPECT_GE(space->statfsres_u.reply.blocks, space->statfsres_u.reply.bfree);
}

TEST_F(Nfs, HandlesThatNoLongerFitTheTableOrTheirExportAreRefused) {
  Start();
  nfs_fh readme = Handle(client_->Lookup(root_, "readme.txt"));
  nfs_fh foreign = readme;
  foreign.data[4] ^= 0x55;  // another table's stamp
  EXPECT_EQ(StatusOf(client_->GetAttr(foreign)), NFSERR_STALE);
  // Root fields edited to name another export: the node isn't inside it.
  nfs_fh strict;
  NfsClient alice("127.0.0.1", 600, 600);
  ASSERT_EQ(alice.Mount("/d/strict", &strict), 0);
  nfs_fh edited = readme;
  memcpy(edited.data + 12, strict.data + 12, 4);
  EXPECT_EQ(StatusOf(client_->GetAttr(edited)), NFSERR_ACCES);
  EXPECT_EQ(StatusOf(alice.GetAttr(edited)), NFSERR_ACCES);
  // One call never spans two exports.
  EXPECT_EQ(alice.Link(readme, strict, "x"), 18);  // NFSERR_XDEV

  // The export removed, the handle table kept: handles resolve, to no export.
  ASSERT_EQ(Terminate(), 0);
  std::string settings = ReadHost("TOLMID.INI");
  settings.replace(settings.find("dir=d:\\export"), 13, "dir=<<UNUSED>>");
  WriteHost("TOLMID.INI", settings);
  StartProgram("Mount Daemon started.");
  NfsClient again("127.0.0.1", 500, 100);
  EXPECT_EQ(StatusOf(again.GetAttr(readme)), NFSERR_ACCES);
}

TEST_F(Nfs, NamesThatAreNotOneComponentNeverReachTheFileSystem) {
  Start();
  symlink("/etc", Host("export/etc-link").c_str());
  symlink("../outside/secret", Host("export/up-link").c_str());
  symlink("README.TXT", Host("export/inside-link").c_str());
  nfs_fh readme = Handle(client_->Lookup(root_, "readme.txt"));
  // The last would be made but never found again: the handle table can't keep it.
  const std::string hostile[] = {
      "..\\..\\outside\\x", "../outside/x",     "a/b", "c:x", "..\\x", "",
      "tab\tname",          "blank at the end "};
  for (const std::string& name : hostile) {
    SCOPED_TRACE(name);
    EXPECT_EQ(StatusOf(client_->Create(root_, name)), NFSERR_ACCES);
    EXPECT_EQ(StatusOf(client_->Mkdir(root_, name)), NFSERR_ACCES);
    EXPECT_EQ(StatusOf(client_->Lookup(root_, name)), NFSERR_NOENT);
    EXPECT_EQ(client_->Remove(root_, name), NFSERR_NOENT);
    EXPECT_EQ(client_->Rename(root_, "readme.txt", root_, name), NFSERR_ACCES);
    EXPECT_EQ(client_->Link(readme, root_, name), NFSERR_ACCES);
  }
  EXPECT_EQ(StatusOf(client_->Create(root_, "..")), NFSERR_ACCES);
  EXPECT_EQ(client_->Rmdir(root_, ".."), NFSERR_NOENT);
  // Links that leave the export don't exist for clients; one inside works.
  EXPECT_EQ(StatusOf(client_->Lookup(root_, "etc-link")), NFSERR_NOENT);
  EXPECT_EQ(StatusOf(client_->Lookup(root_, "up-link")), NFSERR_NOENT);
  EXPECT_EQ(ReadAll(Handle(client_->Lookup(root_, "inside-link"))), "hello from the export\n");
  std::vector<std::string> names;
  ASSERT_TRUE(client_->ListAll(root_, 4096, &names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "inside-link", "readme.txt"}));
  // A path past the platform's limit.
  std::string longName(200, 'l');
  nfs_fh deep = Handle(client_->Mkdir(root_, longName));
  EXPECT_EQ(StatusOf(client_->Create(deep, std::string(60, 'm'))), NFSERR_NAMETOOLONG);

  // Names the generated client won't send, as raw bytes on the wire: a NUL
  // inside, and one longer than a name may be.
  testsupport::UdpClient udp;
  for (const std::string& name :
       {std::string("ok\0..\\..\\outside\\y", 19), std::string(256, 'n')}) {
    std::vector<uint8_t> call = CallBuilder::Call(77, 100003, 2, 9)
                                    .Unix(500, 100)
                                    .Raw(std::string(root_.data, NFS_FHSIZE))
                                    .String(name)
                                    .Words({~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u})
                                    .bytes();
    std::vector<uint32_t> reply = ReplyWords(udp.Call(2049, call, 10000));
    ASSERT_GE(reply.size(), 7u);
    EXPECT_EQ(reply[6], (uint32_t)NFSERR_ACCES);
  }
  ExpectOutsideUntouched();
}

// The descriptors READ and WRITE keep between calls must not outlive what
// the file was when they were opened: a write into a file replaced meanwhile
// would be lost while the client is told it succeeded.
TEST_F(Nfs, TransfersFollowAFileReplacedOrMadeReadOnlyOnTheHost) {
  Start();
  WriteHost("export/saved.txt", "old contents");
  nfs_fh saved = Handle(client_->Lookup(root_, "saved.txt"));
  ASSERT_EQ(StatusOf(client_->Write(saved, 0, "OLD")), NFS_OK);
  EXPECT_EQ(ReadAll(saved), "OLD contents");
  // Saved the way editors save: a new file renamed over the old one.
  WriteHost("export/saved.new", "new contents");
  ASSERT_EQ(rename(Host("export/saved.new").c_str(), Host("export/saved.txt").c_str()), 0);
  EXPECT_EQ(ReadAll(saved), "new contents");
  ASSERT_EQ(StatusOf(client_->Write(saved, 0, "NEW")), NFS_OK);
  EXPECT_EQ(ReadHost("export/saved.txt"), "NEW contents");

  ASSERT_EQ(chmod(Host("export/saved.txt").c_str(), 0444), 0);
  EXPECT_EQ(StatusOf(client_->Write(saved, 0, "new")), NFSERR_IO);
  EXPECT_EQ(ReadHost("export/saved.txt"), "NEW contents");
}

// READDIR gives "." and ".." file ids of records of their own; a handle
// forged from one would alias a directory under a path no client can reach
// otherwise, and each READDIR through it would record yet another such path.
TEST_F(Nfs, HandlesForgedFromTheIdsOfDotEntriesAreRefused) {
  Start();
  nfs_fh sub = Handle(client_->Mkdir(root_, "sub"));
  for (const nfs_fh& dir : {root_, sub}) {
    readdirres* listed = client_->ReadDir(dir, 0, 4096);
    ASSERT_EQ(StatusOf(listed), NFS_OK);
    std::vector<std::pair<std::string, unsigned>> dots;
    for (entry* e = listed->readdirres_u.reply.entries; e; e = e->nextentry)
      if (std::string(e->name) == "." || std::string(e->name) == "..")
        dots.push_back({e->name, e->fileid});
    ASSERT_EQ(dots.size(), 2u);
    for (const auto& [name, id] : dots) {
      SCOPED_TRACE(name);
      nfs_fh forged = dir;
      for (int i = 0; i < 4; i++)  // serial, then bucket, little-endian
        forged.data[8 + i] = (char)((i < 2 ? id >> 16 : id) >> (8 * (i % 2)));
      EXPECT_EQ(StatusOf(client_->GetAttr(forged)), NFSERR_ACCES);
      EXPECT_EQ(StatusOf(client_->ReadDir(forged, 0, 4096)), NFSERR_ACCES);
      EXPECT_EQ(StatusOf(client_->Lookup(forged, "readme.txt")), NFSERR_ACCES);
      EXPECT_EQ(StatusOf(client_->Create(forged, "made")), NFSERR_ACCES);
    }
  }
  EXPECT_EQ(access(Host("export/made").c_str(), F_OK), -1);
}

TEST_F(Nfs, ARetransmittedRemoveGetsTheFirstAnswer) {
  Start();
  WriteHost("export/doomed", "x");
  testsupport::UdpClient udp;
  auto remove = [&](uint32_t xid) {
    std::vector<uint8_t> call = CallBuilder::Call(xid, 100003, 2, 10)
                                    .Unix(500, 100)
                                    .Raw(std::string(root_.data, NFS_FHSIZE))
                                    .String("doomed")
                                    .bytes();
    std::vector<uint32_t> reply = ReplyWords(udp.Call(2049, call, 10000));
    return reply.size() == 7 ? (int)reply[6] : -1;
  };
  EXPECT_EQ(remove(4242), NFS_OK);
  EXPECT_EQ(remove(4242), NFS_OK);
  EXPECT_EQ(remove(4243), NFSERR_NOENT);
}

TEST_F(Nfs, ALargeDirectoryListsOnceInPagesAndCanBeRemovedWhileListed) {
  Start();
  nfs_fh dir = Handle(client_->Mkdir(root_, "many"));
  std::set<std::string> made;
  for (int i = 0; i < 3000; i++) {
    std::string name = "File-" + std::to_string(i) + ".dat";
    WriteHost("export/many/" + name, "");
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    made.insert(name);
  }
  // Too small for one entry: none, and not the end.
  readdirres* tiny = client_->ReadDir(dir, 0, 20);
  ASSERT_EQ(StatusOf(tiny), NFS_OK);
  EXPECT_EQ(tiny->readdirres_u.reply.entries, nullptr);
  EXPECT_FALSE(tiny->readdirres_u.reply.eof);

  std::vector<std::string> names;
  ASSERT_TRUE(client_->ListAll(dir, 4096, &names));
  std::multiset<std::string> listed(names.begin(), names.end());
  listed.erase(".");
  listed.erase("..");
  EXPECT_EQ(listed.size(), made.size());
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), made);

  // What a client's recursive remove does: list a page, remove its names, ask
  // for the next page from the last cookie.
  names.clear();
  ASSERT_TRUE(client_->ListAll(
      dir, 4096, &names,
      [](NfsClient* client, const nfs_fh& d, const std::vector<std::string>& page) {
        for (const std::string& name : page)
          if (name != "." && name != "..") EXPECT_EQ(client->Remove(d, name), NFS_OK) << name;
      }));
  EXPECT_EQ(names.size(), made.size() + 2);
  EXPECT_EQ(client_->Rmdir(root_, "many"), NFS_OK);
}

}  // namespace
