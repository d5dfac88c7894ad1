// Named sections are files under <desktop>/sections, mapped shared. Every holder (a
// handle or a view) keeps a shared flock on the file; a creator that gets the
// exclusive lock knows nobody holds the section and starts it zero-filled, as a
// new Win32 section is. A section's file stays open while handles or views remain.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include "ipc/desktop.h"
#include "ipc/system_calls.h"
#include "platform/winbase.h"

namespace {

struct Section {
  int fd = -1;
  size_t size = 0;
  int holders = 0;  // handles and views
};

struct View {
  std::shared_ptr<Section> section;
  size_t length;
};

std::map<uintptr_t, std::shared_ptr<Section>> handles;
std::map<const void*, View> views;
uintptr_t nextHandle = 0x51000;  // apart from the small global memory handles

// Relative to the desktop's descriptor.
std::string SectionPath(LPCSTR name) {
  std::string path = "sections";
  plat::ipc::Sys().mkdirat(plat::ipc::DesktopFd(), path.c_str(), 0700);
  path += '/';
  char hex[3];
  for (const char* p = name; *p; ++p) {
    snprintf(hex, sizeof hex, "%02x", (unsigned)(unsigned char)*p);
    path += hex;
  }
  return path;
}

void Release(const std::shared_ptr<Section>& section) {
  if (--section->holders == 0) {
    plat::ipc::Sys().close(section->fd);
    section->fd = -1;
  }
}

HANDLE NewHandle(std::shared_ptr<Section> section) {
  section->holders++;
  uintptr_t value = nextHandle++;
  handles[value] = std::move(section);
  return (HANDLE)value;
}

std::shared_ptr<Section> Open(LPCSTR name, bool create, size_t size) {
  if (!name || !*name || !plat::ipc::InDesktop()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string path = SectionPath(name);
  int fd = plat::ipc::Sys().openat(plat::ipc::DesktopFd(), path.c_str(),
                                   O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  bool nobodyHoldsIt = flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (nobodyHoldsIt && !create) {
    plat::ipc::Sys().close(fd);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  if (nobodyHoldsIt && (ftruncate(fd, 0) != 0 || ftruncate(fd, (off_t)size) != 0)) {
    plat::ipc::Sys().close(fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  flock(fd, LOCK_SH);
  struct stat st;
  fstat(fd, &st);
  auto section = std::make_shared<Section>();
  section->fd = fd;
  section->size = (size_t)st.st_size;
  SetLastError(nobodyHoldsIt ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
  return section;
}

}  // namespace

HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD sizeHigh,
                         DWORD sizeLow, LPCSTR name) {
  size_t size = ((size_t)sizeHigh << 32) | sizeLow;
  if (file != INVALID_HANDLE_VALUE || size == 0 || protect != PAGE_READWRITE) {
    SetLastError(ERROR_INVALID_PARAMETER);  // only sections backed by the desktop
    return nullptr;
  }
  auto section = Open(name, true, size);
  if (!section) return nullptr;
  DWORD error = GetLastError();
  HANDLE handle = NewHandle(std::move(section));
  SetLastError(error);
  return handle;
}

HANDLE OpenFileMapping(DWORD, BOOL, LPCSTR name) {
  auto section = Open(name, false, 0);
  return section ? NewHandle(std::move(section)) : nullptr;
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                     SIZE_T bytes) {
  auto it = handles.find((uintptr_t)mapping);
  if (it == handles.end() || offsetHigh || offsetLow) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::shared_ptr<Section> section = it->second;
  size_t length = bytes ? bytes : section->size;
  if (length > section->size) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  int protection = PROT_READ | ((access & FILE_MAP_WRITE) ? PROT_WRITE : 0);
  void* view = mmap(nullptr, length, protection, MAP_SHARED, section->fd, 0);
  if (view == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  section->holders++;
  views[view] = View{section, length};
  return view;
}

BOOL UnmapViewOfFile(LPCVOID view) {
  auto it = views.find(view);
  if (it == views.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  munmap(const_cast<void*>(view), it->second.length);
  Release(it->second.section);
  views.erase(it);
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  auto it = handles.find((uintptr_t)handle);
  if (it == handles.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Release(it->second);
  handles.erase(it);
  return TRUE;
}
