// The NFS and mount programs inside the engine, on a temporary drive: the
// access check's classes, attributes made from local status, and the mount
// program's matching and export list, where a real client can't easily set the
// stage (a drive's root, read-only executables, files past 4 GiB).
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "config/export_table.h"
#include "config/server_settings.h"
#include "config/user_table.h"
#include "nfs/access_check.h"
#include "nfs/export_anchor.h"
#include "nfs/handle_table.h"
#include "support/engine_fixture.h"
#include "support/table_file_faults.h"
#include "support/temp_drive.h"

namespace {

class NfsEngine : public TempDrive {
 protected:
  void SetUp() override {
    TempDrive::SetUp();
    ResetTransport();
    for (ServiceId s : {SERVICE_NFS, SERVICE_MOUNT})
      ASSERT_NE(CreateEndpointRecord(s), nullptr);
    ASSERT_TRUE(OpenHandleTable("c:\\", 7));
    UseSettings(&settings_);
    alice_ = AddUser("alice", 500, 100);
    bob_ = AddUser("bob", 600, 600);
  }
  void TearDown() override {
    CloseExportAnchors();
    EmptyExportTable();
    CloseHandleTable();
    FreeUserList();
    UseSettings(nullptr);
    for (ServiceId s : {SERVICE_NFS, SERVICE_MOUNT})
      DestroyEndpointRecord(s);
    TempDrive::TearDown();
  }
  static UserEntry* AddUser(const char* name, uint32_t uid, uint32_t gid) {
    UserEntry* user = NewUser();
    strcpy(user->username, name);
    user->uid = uid;
    user->gid = gid;
    return user;
  }
  std::vector<uint32_t> Call(ServiceId service, const CallBuilder& call) {
    ResetTransport();
    ReceiveBuffer* buffer =
        MakeReceiveBuffer(call.bytes().data(), call.size(), kClientAddress, kClientPort);
    DecodeServiceCall(service, ServiceEndpoints[service], buffer);
    ServeNextRequest(service);
    return Transport().replies.empty() ? std::vector<uint32_t>{}
                                       : ReplyWords(Transport().replies[0].bytes);
  }
  // MNT's handle, as the raw 32 bytes.
  std::string Mount(const std::string& path, uint32_t uid = 500, uint32_t gid = 100) {
    ResetTransport();
    Call(SERVICE_MOUNT, CallBuilder::Call(1, kMountProgram, 1, 1).Unix(uid, gid).String(path));
    const std::vector<uint8_t>& bytes = Transport().replies.at(0).bytes;
    return std::string(bytes.begin() + 28, bytes.begin() + 60);
  }
  uint32_t MountStatus(const std::string& path, uint32_t uid = 500, uint32_t gid = 100) {
    return Call(SERVICE_MOUNT,
                CallBuilder::Call(1, kMountProgram, 1, 1).Unix(uid, gid).String(path))
        .at(6);
  }
  // GETATTR of a name in the export's root: the 17 attribute words, or the status alone.
  std::vector<uint32_t> Attributes(const std::string& root, const std::string& name) {
    std::vector<uint32_t> lookup = Call(
        SERVICE_NFS, CallBuilder::Call(2, kNfsProgram, 2, 4).Unix(500, 100).Raw(root).String(name));
    if (lookup.size() < 7 || lookup[6] != 0) return {lookup.size() > 6 ? lookup[6] : ~0u};
    std::vector<uint32_t> words(lookup.begin() + 15, lookup.end());
    return words;
  }

  ServerSettings settings_ = {};
  UserEntry* alice_;
  UserEntry* bob_;
};

TEST(CheckAccessTest, OthersThenGroupThenAnOwnerWhoIsNotRoot) {
  struct Case {
    uint32_t bits, uid, gid;
    std::vector<uint32_t> gids;
    bool read, write, search;
  } cases[] = {
      {0x1FF, 0, 0, {}, true, true, true},         // others grant everything, root too
      {0x1C0, 500, 1, {}, true, true, true},       // the owner
      {0x1C0, 0, 100, {}, false, false, false},    // root is never the owner
      {0x1C0, 501, 100, {}, false, false, false},  // same group, no group bits
      {0x038, 9, 100, {}, true, true, true},       // the owner's gid
      {0x038, 9, 7, {3, 100}, true, true, true},   // a supplementary gid
      {0x038, 500, 7, {}, false, false, false},    // the owner's uid, but no owner bits
      {0x124, 9, 9, {}, true, false, false},       // read for all classes only
      {0x049, 9, 9, {}, false, false, true},       // search for all classes only
  };
  for (const Case& c : cases) {
    AuthUnix caller = {AUTH_UNIX, c.uid, c.gid, (uint32_t)c.gids.size(), {}, "pc"};
    for (size_t i = 0; i < c.gids.size(); i++)
      caller.gids[i] = c.gids[i];
    SCOPED_TRACE(testing::Message() << std::hex << c.bits << " uid " << std::dec << c.uid);
    EXPECT_EQ(CheckAccess(&caller, 500, 100, c.bits, ACCESS_READ), c.read);
    EXPECT_EQ(CheckAccess(&caller, 500, 100, c.bits, ACCESS_WRITE), c.write);
    EXPECT_EQ(CheckAccess(&caller, 500, 100, c.bits, ACCESS_SEARCH), c.search);
  }
  // Unused gid places don't count as group 0.
  AuthUnix none = {AUTH_UNIX, 9, 9, 0, {}, "pc"};
  EXPECT_FALSE(CheckAccess(&none, 500, 0, 0x038, ACCESS_READ));
}

TEST_F(NfsEngine, AttributesComeFromLocalStatusMaskedByTheExport) {
  MakeHostDir(Host("pub"));
  MakeHostDir(Host("pub/sub"));
  for (const char* name : {"pub/prog.EXE", "pub/notes.txt"}) {
    WriteHost(Host(name), "x");
    chmod(Host(name).c_str(), 0444);
  }
  WriteHost(Host("pub/zero"), "");
  WriteHost(Host("pub/k1023"), std::string(1023, 'k'));
  WriteHost(Host("pub/k1024"), std::string(1024, 'k'));
  int fd = open(Host("pub/huge").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_EQ(ftruncate(fd, 5LL << 30), 0);  // sparse
  close(fd);
  ASSERT_TRUE(AddExport(0, "c:\\pub", alice_, 0x1FF));
  ASSERT_TRUE(AddExport(1, "c:\\", bob_, 0x1ED));
  std::string pub = Mount("/c/pub");

  struct Case {
    const char* name;
    uint32_t type, mode, size, blocks;
  } cases[] = {
      {"prog.exe", 1, 0x816D, 1, 1},
      {"notes.txt", 1, 0x8124, 1, 1},
      {"sub", 2, 0x41FF, 0, 1},
      {"zero", 1, 0x81B6, 0, 1},
      {"k1023", 1, 0x81B6, 1023, 1},
      {"k1024", 1, 0x81B6, 1024, 2},
      {"huge", 1, 0x81B6, 0xFFFFFFFF, (5u << 20) + 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint32_t> a = Attributes(pub, c.name);
    ASSERT_EQ(a.size(), 17u);
    EXPECT_EQ(a[0], c.type);
    EXPECT_EQ(a[1], c.mode);
    EXPECT_EQ(a[2], 1u);    // links
    EXPECT_EQ(a[3], 500u);  // the export owner's uid and gid
    EXPECT_EQ(a[4], 100u);
    EXPECT_EQ(a[5], c.size);
    EXPECT_EQ(a[6], 1024u);
    EXPECT_EQ(a[8], c.blocks);
  }
  // The drive's root: no times of its own, the export's bits masked in.
  std::string root = Mount("/c", 600, 600);
  std::vector<uint32_t> words =
      Call(SERVICE_NFS, CallBuilder::Call(3, kNfsProgram, 2, 1).Unix(600, 600).Raw(root));
  ASSERT_EQ(words.size(), 7u + 17u);
  tm start = {};
  start.tm_year = 80;
  start.tm_mday = 1;
  start.tm_isdst = -1;
  EXPECT_EQ(words[7 + 1], 0x4000u | 0x1EDu);
  EXPECT_EQ(words[7 + 13], (uint32_t)mktime(&start));
  EXPECT_EQ(words[7 + 3], 600u);
}

// A CREATE whose file can't be recorded answers NFSERR_IO and takes back only
// a file it made: one that was there before stays.
TEST_F(NfsEngine, ACreateThatCannotRecordItsFileRemovesOnlyAFileItMade) {
  CloseHandleTable();
  ASSERT_TRUE(OpenHandleTableWithOps("c:\\", 7, &kFaultyFileOps));
  MakeHostDir(Host("pub"));
  WriteHost(Host("pub/kept.txt"), "data");
  ASSERT_TRUE(AddExport(0, "c:\\pub", alice_, 0x1FF));
  std::string pub = Mount("/c/pub");
  ResetFileFaults(1);  // the table's writes fail from here on
  for (const char* name : {"kept.txt", "new.txt"}) {
    std::vector<uint32_t> reply =
        Call(SERVICE_NFS, CallBuilder::Call(3, kNfsProgram, 2, 9)
                              .Unix(500, 100)
                              .Raw(pub)
                              .String(name)
                              .Words({0x81A4, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u}));
    ASSERT_GE(reply.size(), 7u) << name;
    EXPECT_EQ(reply[6], (uint32_t)NFSERR_IO) << name;
  }
  struct stat st;
  EXPECT_EQ(stat(Host("pub/kept.txt").c_str(), &st), 0);
  EXPECT_NE(stat(Host("pub/new.txt").c_str(), &st), 0);
}

TEST_F(NfsEngine, MountMatchesTheMostSpecificExportAndListsSlashForms) {
  MakeHostDir(Host("data"));
  MakeHostDir(Host("data/strict"));
  ASSERT_TRUE(AddExport(0, "c:\\data", alice_, 0x1FF));
  ASSERT_TRUE(AddExport(1, "c:\\data\\strict", bob_, 0x1C0));
  ASSERT_TRUE(AddExport(2, "c:\\", alice_, 0x1C0));
  EXPECT_EQ(MountStatus("c:\\data\\strict"), 13u);  // alice, checked against strict's owner
  EXPECT_EQ(MountStatus("c:\\data\\strict", 600, 600), 0u);
  EXPECT_EQ(MountStatus("/c/data"), 0u);
  EXPECT_EQ(MountStatus("/c/data", 0, 0), 0u);  // others may search c:\data
  EXPECT_EQ(MountStatus("/c", 0, 0), 13u);
  EXPECT_EQ(MountStatus("/c"), 0u);
  // A failed MNT still carries its 32 zero bytes.
  std::vector<uint32_t> failed =
      Call(SERVICE_MOUNT, CallBuilder::Call(1, kMountProgram, 1, 1).Unix(500, 100).String("/x/y"));
  EXPECT_EQ(failed, (std::vector<uint32_t>{1, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0}));

  settings_.exportUnixStyle = TRUE;
  std::vector<uint32_t> list =
      Call(SERVICE_MOUNT, CallBuilder::Call(5, kMountProgram, 1, 5).Null());
  std::vector<uint32_t> body(list.begin() + 6, list.end());
  EXPECT_EQ(body, (std::vector<uint32_t>{1, 7, 0x2F632F64, 0x61746100, 0,  // /c/data
                                         1, 14, 0x2F632F64, 0x6174612F, 0x73747269, 0x63740000, 0,
                                         1, 2, 0x2F630000, 0, 0}));
  settings_.exportUnixStyle = FALSE;
  list = Call(SERVICE_MOUNT, CallBuilder::Call(5, kMountProgram, 1, 5).Null());
  EXPECT_EQ(list.at(7), 7u);  // "c:\data"

  // UMNT and UMNTALL answer with nothing; DUMP is not answered at all.
  EXPECT_EQ(Call(SERVICE_MOUNT, CallBuilder::Call(6, kMountProgram, 1, 3).Unix().String("/c")),
            (std::vector<uint32_t>{6, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Call(SERVICE_MOUNT, CallBuilder::Call(7, kMountProgram, 1, 4).Unix()),
            (std::vector<uint32_t>{7, 1, 0, 0, 0, 0}));
  EXPECT_TRUE(Call(SERVICE_MOUNT, CallBuilder::Call(8, kMountProgram, 1, 2).Null()).empty());
}

}  // namespace
