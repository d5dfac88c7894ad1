// Private-profile files: lookups with Win32 semantics, results cut to the
// caller's buffer, and writes that keep every line they do not concern.
#include <errno.h>

#include <cstring>

#include "platform/winbase.h"
#include "temp_drives.h"

namespace {

const char kIni[] = "c:\\app\\TOLMID.INI";

class Profile : public TempDrives {
 protected:
  void SetUp() override {
    TempDrives::SetUp();
    MakeDir(C("app"));
  }
  std::string Host() const { return C("app/TOLMID.INI"); }
  std::string Get(const char* section, const char* key, const char* def = "dflt") {
    char buf[512];
    DWORD n = GetPrivateProfileString(section, key, def, buf, sizeof buf, kIni);
    return std::string(buf, n);
  }
};

const char kSample[] =
    "; settings\r\n"
    "orphan=before any section\r\n"
    "[Tolmid]\r\n"
    "  Enabled = on  \r\n"
    "logfile=\"c:\\log\\x.log\"\r\n"
    "quoted='it''s'\r\n"
    "half=\"open\r\n"
    "empty=\r\n"
    "#hidden=1\r\n"
    ";commented=1\r\n"
    "no equals sign here\r\n"
    "[broken\r\n"
    "after=still tolmid\r\n"
    "=novalue\r\n"
    "\r\n"
    "[ Other ]\n"
    "key=other\n"
    "[TOLMID]\n"
    "enabled=second copy\n"
    "late=found\n";

TEST_F(Profile, LooksUpSectionsAndKeysWithoutRegardToCase) {
  Write(Host(), kSample);
  struct Case {
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {"tolmid", "enabled", "on"},
      {"TOLMID", "ENABLED", "on"},
      {"tolmid", "logfile", "c:\\log\\x.log"},
      {"tolmid", "quoted", "it''s"},
      {"tolmid", "half", "\"open"},
      {"tolmid", "empty", ""},
      {"tolmid", "hidden", "dflt"},
      {"tolmid", "#hidden", "dflt"},
      {"tolmid", ";commented", "dflt"},
      {"tolmid", "after", "still tolmid"},
      {"tolmid", "late", "found"},
      {"other", "key", "other"},
      {"tolmid", "orphan", "dflt"},
      {"missing", "key", "dflt"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Get(c.section, c.key), c.value) << c.key;
  EXPECT_EQ(Get("x", "y", "trailing  "), "trailing");
  EXPECT_EQ(Get("x", "y", nullptr), "");
  // A missing file reads as defaults, and is not created.
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", nullptr, 0, "c:\\app\\none.ini"), 0u);
  char buf[8];
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", buf, sizeof buf, "c:\\app\\none.ini"), 1u);
  EXPECT_STREQ(buf, "d");
  EXPECT_NE(access(C("app/none.ini").c_str(), F_OK), 0);
}

TEST_F(Profile, ListsSectionsAndKeysEachOnceEndingInTwoNuls) {
  Write(Host(), kSample);
  char buf[256];
  DWORD n = GetPrivateProfileString(nullptr, "ignored", "", buf, sizeof buf, kIni);
  EXPECT_EQ(std::string(buf, n + 1), std::string("Tolmid\0Other\0\0", 14));
  n = GetPrivateProfileString("tolmid", nullptr, "", buf, sizeof buf, kIni);
  EXPECT_EQ(std::string(buf, n + 1),
            std::string("Enabled\0logfile\0quoted\0half\0empty\0after\0late\0\0", 46));
  n = GetPrivateProfileString("missing", nullptr, "", buf, sizeof buf, kIni);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));
}

TEST_F(Profile, CutsResultsToTheBufferAndNeverWritesPastIt) {
  Write(Host(), "[s]\r\nkey=0123456789\r\nk2=x\r\n");
  struct Case {
    const char* section;
    const char* key;
    DWORD size;
    DWORD ret;
    std::string bytes;  // the buffer's first size bytes afterwards
  } cases[] = {
      {"s", "key", 11, 10, std::string("0123456789\0", 11)},
      {"s", "key", 5, 4, std::string("0123\0", 5)},
      {"s", "key", 1, 0, std::string("\0", 1)},
      {"s", "key", 0, 0, ""},
      {"s", nullptr, 5, 3, std::string("key\0\0", 5)},
      {"s", nullptr, 4, 2, std::string("ke\0\0", 4)},
      {"s", nullptr, 7, 5, std::string("key\0k\0\0", 7)},
      {nullptr, nullptr, 2, 0, std::string("\0\0", 2)},
  };
  for (const Case& c : cases) {
    char buf[32];
    memset(buf, '#', sizeof buf);
    DWORD n = GetPrivateProfileString(c.section, c.key, "", buf, c.size, kIni);
    EXPECT_EQ(n, c.ret) << c.size;
    EXPECT_EQ(std::string(buf, c.size), c.bytes) << c.size;
    EXPECT_EQ(std::string(buf + c.size, sizeof buf - c.size), std::string(sizeof buf - c.size, '#'))
        << "bytes after the buffer changed, size " << c.size;
  }
}

TEST_F(Profile, ReadsTheLeadingNumberOfAValue) {
  Write(Host(),
        "[n]\nplain=1058\nneg=-7\npos=+3\nword=abc\nmixed=12abc\nempty=\nquoted=\"15\"\n"
        "big=4294967295\n");
  struct Case {
    const char* key;
    UINT value;
  } cases[] = {
      {"plain", 1058}, {"neg", (UINT)-7}, {"pos", 3},      {"word", 0},          {"mixed", 12},
      {"empty", 99},   {"quoted", 15},    {"missing", 99}, {"big", 4294967295u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetPrivateProfileInt("N", c.key, 99, kIni), c.value) << c.key;
  }
}

TEST_F(Profile, WritesChangeOnlyTheLinesConcerned) {
  Write(Host(), kSample);
  ASSERT_TRUE(WritePrivateProfileString("TOLMID", "ENABLED", "OFF", kIni));
  std::string expect = kSample;
  expect.replace(expect.find("  Enabled = on  "), 16, "  Enabled = OFF");
  EXPECT_EQ(Read(Host()), expect);

  // A new key follows the last key line of the first matching section.
  ASSERT_TRUE(WritePrivateProfileString("tolmid", "genUID", "400", kIni));
  size_t at = expect.find("after=still tolmid\r\n") + strlen("after=still tolmid\r\n");
  expect.insert(at, "genUID=400\r\n");
  EXPECT_EQ(Read(Host()), expect);

  ASSERT_TRUE(WritePrivateProfileString("other", "KEY", nullptr, kIni));
  expect.erase(expect.find("key=other\n"), 10);
  EXPECT_EQ(Read(Host()), expect);

  // A new section goes last, after a blank line, in the file's line ends.
  ASSERT_TRUE(WritePrivateProfileString("TOLmid_user_01", "username", "guest", kIni));
  expect += "\r\n[TOLmid_user_01]\r\nusername=guest\r\n";
  EXPECT_EQ(Read(Host()), expect);
  EXPECT_EQ(Get("tolmid_USER_01", "USERNAME"), "guest");
}

TEST_F(Profile, DeletesWholeSectionsAndCreatesNewFilesWithCrLf) {
  ASSERT_TRUE(WritePrivateProfileString("a", "k", nullptr, kIni));
  ASSERT_TRUE(WritePrivateProfileString("a", nullptr, nullptr, kIni));
  EXPECT_NE(access(Host().c_str(), F_OK), 0) << "nothing to delete creates no file";

  ASSERT_TRUE(WritePrivateProfileString("one", "k", "1", kIni));
  ASSERT_TRUE(WritePrivateProfileString("two", "k", "2", kIni));
  ASSERT_TRUE(WritePrivateProfileString("one", "j", "3", kIni));
  EXPECT_EQ(Read(Host()), "[one]\r\nk=1\r\nj=3\r\n\r\n[two]\r\nk=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("ONE", nullptr, nullptr, kIni));
  EXPECT_EQ(Read(Host()), "[two]\r\nk=2\r\n");
}

TEST_F(Profile, KeepsLfLineEndsAndAFinalLineWithoutOne) {
  Write(Host(), "[s]\nk=1");
  ASSERT_TRUE(WritePrivateProfileString("s", "j", "2", kIni));
  EXPECT_EQ(Read(Host()), "[s]\nk=1\nj=2\n");
}

TEST_F(Profile, RefusesTextsThatWouldChangeTheFileStructure) {
  Write(Host(), "[s]\r\nk=1\r\n");
  const char* bad[][3] = {
      {"s", "k", "1\r\n[evil]\r\nx=y"},
      {"s", "k\n", "1"},
      {"s]x", "k", "1"},
      {"s", "a=b", "1"},
      {"s", "[x", "1"},
      {"s", ";k", "1"},
      {"", "k", "1"},
  };
  for (auto& b : bad) {
    EXPECT_FALSE(WritePrivateProfileString(b[0], b[1], b[2], kIni)) << b[0] << "/" << b[1];
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(Read(Host()), "[s]\r\nk=1\r\n");
}

TEST_F(Profile, KeepsPermissionsAndRefusesReadOnlyFiles) {
  Write(Host(), "[s]\r\nk=1\r\n", 0640);
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", kIni));
  struct stat st;
  ASSERT_EQ(stat(Host().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  chmod(Host().c_str(), 0444);
  EXPECT_FALSE(WritePrivateProfileString("s", "k", "3", kIni));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get("s", "k"), "2");
}

TEST_F(Profile, WritesThroughALinkReplaceItsTarget) {
  MakeDir(C("real"));
  Write(C("real/x.ini"), "[s]\nk=1\n");
  Link("../real/x.ini", C("app/link.ini"));
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", "c:\\APP\\LINK.INI"));
  EXPECT_EQ(Read(C("real/x.ini")), "[s]\nk=2\n");
  struct stat st;
  ASSERT_EQ(lstat(C("app/link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
