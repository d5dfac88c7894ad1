// Version information read from a program file's version section (the block
// PLATFORM_VERSION_INFO lays out). A block is checked when it is read from the
// file: magic, size within the section, every text terminated inside it; the
// queries then walk it without further doubt.
#include <fcntl.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "fs/resolver.h"
#include "fs/win_path.h"
#include "platform/resources.h"
#include "platform/winbase.h"
#include "platform/winver.h"
#include "resource/elf_section.h"

static_assert(std::endian::native == std::endian::little, "version blocks are little-endian");

namespace {

using plat::res::kVersionFixedSize;
using plat::res::kVersionHeaderSize;

constexpr size_t kTextsAt = kVersionHeaderSize + kVersionFixedSize;

uint32_t SizeOf(const unsigned char* block) {
  uint32_t size;
  memcpy(&size, block + 4, sizeof size);
  return size;
}

// The texts after the fixed part: language and code page, then key/value
// pairs up to an empty key. Null when a text runs past the block.
const char* NextText(const unsigned char* block, size_t size, size_t* at) {
  if (*at >= size) return nullptr;
  const void* end = memchr(block + *at, 0, size - *at);
  if (!end) return nullptr;
  const char* text = (const char*)block + *at;
  *at = (size_t)((const unsigned char*)end - block) + 1;
  return text;
}

bool WellFormed(const unsigned char* block, size_t available) {
  if (available < kTextsAt + 2 || memcmp(block, "PVI1", 4) != 0) return false;
  size_t size = SizeOf(block);
  if (size < kTextsAt + 2 || size > available) return false;
  size_t at = kTextsAt;
  if (!NextText(block, size, &at)) return false;
  for (;;) {
    const char* key = NextText(block, size, &at);
    if (!key) return false;
    if (!*key) return true;
    if (!NextText(block, size, &at)) return false;
  }
}

// The file is read through the descriptor its resolution handed out, so the
// block comes from the file the path named when it was resolved.
bool ReadBlock(LPCSTR path, std::vector<unsigned char>* block) {
  plat::fs::WinPath wp;
  plat::fs::Resolved r;
  if (!plat::fs::ParseWinPath(path, plat::fs::PathUse::kName, &wp) ||
      !plat::fs::ResolvePath(wp, plat::fs::FinalLink::kFollow, plat::fs::Want::kDescriptor, &r) ||
      !r.exists) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  plat::fs::UniqueFd fd(S_ISREG(r.st.st_mode) ? plat::fs::ReopenFd(r.self, O_RDONLY) : -1);
  if (!fd.Valid() || !plat::res::ReadElfSection(fd.Get(), plat::res::kVersionSection, block)) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return false;
  }
  if (!WellFormed(block->data(), block->size())) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return false;
  }
  block->resize(SizeOf(block->data()));
  return true;
}

// Splits "\StringFileInfo\040904E4\FileVersion" into its parts.
std::vector<std::string> Parts(const char* subBlock) {
  std::vector<std::string> parts;
  std::string current;
  for (const char* p = subBlock;; ++p) {
    if (*p == '\\' || *p == 0) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
      if (*p == 0) break;
    } else {
      current += *p;
    }
  }
  return parts;
}

}  // namespace

DWORD GetFileVersionInfoSize(LPCSTR path, LPDWORD handle) {
  if (handle) *handle = 0;
  std::vector<unsigned char> block;
  return ReadBlock(path, &block) ? (DWORD)block.size() : 0;
}

BOOL GetFileVersionInfo(LPCSTR path, DWORD, DWORD size, LPVOID data) {
  std::vector<unsigned char> block;
  if (!data || !ReadBlock(path, &block)) return FALSE;
  // A short buffer gets the head of the block, its size cut to what fits
  // and its texts ending where the buffer does.
  if (size < kTextsAt + 2) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  uint32_t kept = (uint32_t)std::min<size_t>(size, block.size());
  memcpy(data, block.data(), kept);
  memcpy((unsigned char*)data + 4, &kept, sizeof kept);
  ((unsigned char*)data)[kept - 1] = 0;
  ((unsigned char*)data)[kept - 2] = 0;
  return TRUE;
}

BOOL VerQueryValue(LPCVOID data, LPCSTR subBlock, LPVOID* value, PUINT length) {
  const unsigned char* block = (const unsigned char*)data;
  if (!block || !subBlock || !value || memcmp(block, "PVI1", 4) != 0) return FALSE;
  size_t size = SizeOf(block);
  std::vector<std::string> parts = Parts(subBlock);
  if (parts.empty()) {
    *value = (LPVOID)(block + kVersionHeaderSize);
    if (length) *length = (UINT)sizeof(VS_FIXEDFILEINFO);
    return TRUE;
  }
  if (parts.size() != 3 || strcasecmp(parts[0].c_str(), "StringFileInfo") != 0) return FALSE;
  size_t at = kTextsAt;
  const char* langCodePage = NextText(block, size, &at);
  if (!langCodePage || strcasecmp(langCodePage, parts[1].c_str()) != 0) return FALSE;
  while (const char* key = NextText(block, size, &at)) {
    if (!*key) break;
    const char* text = NextText(block, size, &at);
    if (!text) break;
    if (strcasecmp(key, parts[2].c_str()) != 0) continue;
    *value = (LPVOID)text;
    if (length) *length = *text ? (UINT)strlen(text) + 1 : 0;
    return TRUE;
  }
  return FALSE;
}
