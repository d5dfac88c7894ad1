// Low-level file calls of the C runtime, on Windows paths ("c:\data\a.txt").
// Paths go through the drive map (platform/direct.h): either slash separates,
// components match without regard to case, nothing resolves outside a drive.
// Errors set errno (ENOENT, EACCES, EEXIST, ENOTEMPTY, ENAMETOOLONG, ...).
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/windef.h"

// Open flags.
#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_EXCL 0x0400
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000

// Share modes of _sopen: what later openers of the same file are denied.
#define _SH_DENYRW 0x10
#define _SH_DENYWR 0x20
#define _SH_DENYRD 0x30
#define _SH_DENYNO 0x40

// Permission of a new file (_open with _O_CREAT) and mode bits of _stat.
#define _S_IFMT 0xF000
#define _S_IFDIR 0x4000
#define _S_IFREG 0x8000
#define _S_IREAD 0x0100
#define _S_IWRITE 0x0080
#define _S_IEXEC 0x0040

// Mode of _access.
#define _A_EXISTS 0
#define _A_WRITE 2
#define _A_READ 4

// The glibc field macros would rename the fields of _stat below. Including
// <sys/stat.h> first means a later include of it cannot define them again.
#include <sys/stat.h>
#ifdef st_atime
#undef st_atime
#undef st_mtime
#undef st_ctime
#endif

// Windows-style status: mode 0x4000 (directory) or 0x8000, read 0400 always,
// write 0200 unless read-only, execute 0100 for directories and .exe/.com/
// .bat/.cmd names, the owner's bits copied to group and others; one link
// (none for an open file whose last name was removed or renamed over).
// A drive's root has no times of its own: 1980-01-01 00:00 local time.
struct _stat {
  uint32_t st_dev;
  uint16_t st_ino;
  uint16_t st_mode;
  int16_t st_nlink;
  int16_t st_uid;
  int16_t st_gid;
  uint32_t st_rdev;
  int64_t st_size;
  time_t st_atime;
  time_t st_mtime;
  time_t st_ctime;
};

struct _utimbuf {
  time_t actime;
  time_t modtime;
};

int _open(const char* path, int oflag, int pmode = 0);
int _sopen(const char* path, int oflag, int shflag, int pmode = 0);
int _close(int fd);
// Text mode (_O_TEXT): a written "\n" reaches the disk as "\r\n"; reading turns
// "\r\n" back into "\n". Without _O_TEXT a file is binary.
int _read(int fd, void* buffer, unsigned int count);
int _write(int fd, const void* buffer, unsigned int count);
long _lseek(int fd, long offset, int origin);
long _tell(int fd);
int _chsize(int fd, long size);
int _commit(int fd);  // data reaches the disk before it returns
int _fstat(int fd, struct _stat* status);
int _futime(int fd, struct _utimbuf* times);

int _stat(const char* path, struct _stat* status);
int _access(const char* path, int mode);
int _unlink(const char* path);  // a read-only file is not deleted (EACCES)
int _utime(const char* path, struct _utimbuf* times);
// Only _S_IWRITE counts: without it the file becomes read-only, with it writable.
int _chmod(const char* path, int pmode);

// Directory enumeration: "." and ".." first (not in a drive's root), then the
// names in an order that is stable while the directory does not change.
// Patterns use * and ? without regard to case; "*.*" matches every name.
#define _A_NORMAL 0x00
#define _A_RDONLY 0x01
#define _A_HIDDEN 0x02
#define _A_SYSTEM 0x04
#define _A_SUBDIR 0x10
#define _A_ARCH 0x20

struct _finddata_t {
  unsigned attrib;
  time_t time_create;
  time_t time_access;
  time_t time_write;
  uint32_t size;
  char name[MAX_PATH];
};

intptr_t _findfirst(const char* pattern, struct _finddata_t* data);
int _findnext(intptr_t handle, struct _finddata_t* data);
int _findclose(intptr_t handle);
