// Reading and writing through descriptors: text-mode line ends as they lie on
// disk, append mode, size changes and times.
#include <errno.h>

#include "platform/io.h"
#include "temp_drives.h"

namespace {

class FileIo : public TempDrives {};

TEST_F(FileIo, TextModeWritesCrLfAndReadsItBack) {
  int fd = _open("c:\\log.txt", _O_WRONLY | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(_write(fd, "one\ntwo\r\n\nend", 13), 13);
  EXPECT_EQ(_write(fd, "\n", 1), 1);
  _close(fd);
  EXPECT_EQ(Read(C("log.txt")), "one\r\ntwo\r\r\n\r\nend\r\n");

  // One byte at a time puts every "\r" at the end of a read.
  fd = _open("c:\\log.txt", _O_RDONLY | _O_TEXT);
  ASSERT_GE(fd, 0);
  std::string back;
  char c;
  while (_read(fd, &c, 1) == 1)
    back += c;
  _close(fd);
  EXPECT_EQ(back, "one\ntwo\r\n\nend\n");

  fd = _open("c:\\log.txt", _O_RDONLY | _O_TEXT);
  char buf[64];
  int n = _read(fd, buf, sizeof buf);
  _close(fd);
  EXPECT_EQ(std::string(buf, n > 0 ? n : 0), "one\ntwo\r\n\nend\n");
}

TEST_F(FileIo, BinaryModeLeavesBytesAlone) {
  Write(C("b.bin"), "a\r\nb\n");
  int fd = _open("c:\\b.bin", _O_RDWR | _O_BINARY);
  ASSERT_GE(fd, 0);
  char buf[16];
  ASSERT_EQ(_read(fd, buf, sizeof buf), 5);
  EXPECT_EQ(std::string(buf, 5), "a\r\nb\n");
  EXPECT_EQ(_write(fd, "\n", 1), 1);
  _close(fd);
  EXPECT_EQ(Read(C("b.bin")), "a\r\nb\n\n");
}

TEST_F(FileIo, AppendModeWritesAtTheEndAfterEverySeek) {
  Write(C("a.log"), "start\r\n");
  int fd = _open("c:\\A.LOG", _O_WRONLY | _O_APPEND | _O_TEXT);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(_lseek(fd, 0, SEEK_SET), 0);
  EXPECT_EQ(_write(fd, "line\n", 5), 5);
  Write(C("other"), "");  // a writer elsewhere does not matter
  ASSERT_EQ(_lseek(fd, 2, SEEK_SET), 2);
  EXPECT_EQ(_write(fd, "more\n", 5), 5);
  EXPECT_EQ(_tell(fd), 19);
  _close(fd);
  EXPECT_EQ(Read(C("a.log")), "start\r\nline\r\nmore\r\n");
}

TEST_F(FileIo, TruncateOnOpenEmptiesAnExistingFile) {
  Write(C("t.txt"), "old content");
  int fd = _open("c:\\t.txt", _O_WRONLY | _O_CREAT | _O_TRUNC, _S_IWRITE);
  ASSERT_GE(fd, 0);
  _close(fd);
  EXPECT_EQ(Read(C("t.txt")), "");
  EXPECT_EQ(_open("c:\\t.txt", _O_WRONLY | _O_CREAT | _O_EXCL, _S_IWRITE), -1);
  EXPECT_EQ(errno, EEXIST);
}

TEST_F(FileIo, ChsizeCutsOrExtendsWithZerosAndKeepsThePosition) {
  Write(C("s.bin"), "0123456789");
  int fd = _open("c:\\s.bin", _O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(_lseek(fd, 3, SEEK_SET), 3);
  ASSERT_EQ(_chsize(fd, 5), 0);
  EXPECT_EQ(_tell(fd), 3);
  ASSERT_EQ(_chsize(fd, 8), 0);
  EXPECT_EQ(_commit(fd), 0);
  struct _stat st;
  ASSERT_EQ(_fstat(fd, &st), 0);
  EXPECT_EQ(st.st_size, 8);
  EXPECT_EQ(_chsize(fd, -1), -1);
  _close(fd);
  EXPECT_EQ(Read(C("s.bin")), std::string("01234\0\0\0", 8));
}

TEST_F(FileIo, DirectoriesAreNotOpenedAsFiles) {
  MakeDir(C("dir"));
  for (int flags : {_O_RDONLY, _O_RDWR, _O_WRONLY | _O_CREAT}) {
    errno = 0;
    EXPECT_EQ(_open("c:\\dir", flags, _S_IWRITE), -1);
    EXPECT_EQ(errno, EACCES);
  }
  EXPECT_EQ(_open("c:\\", _O_RDONLY), -1);
  EXPECT_EQ(_unlink("c:\\dir"), -1);
  EXPECT_EQ(errno, EACCES);
}

TEST_F(FileIo, FutimeSetsTheTimesOfAnOpenFile) {
  int fd = _open("c:\\t.txt", _O_RDWR | _O_CREAT, _S_IWRITE);
  ASSERT_GE(fd, 0);
  struct _utimbuf times = {315532800, 631152000};
  ASSERT_EQ(_futime(fd, &times), 0);
  _close(fd);
  struct _stat st;
  ASSERT_EQ(_stat("c:\\t.txt", &st), 0);
  EXPECT_EQ(st.st_mtime, 631152000);
  EXPECT_EQ(st.st_atime, 315532800);
}

}  // namespace
