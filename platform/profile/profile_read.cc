// GetPrivateProfileString and GetPrivateProfileInt. The file is parsed on
// every call; nothing is written past the caller's size, and every result is
// NUL-terminated (lists with a second NUL) whenever size allows any byte.
#include <string.h>

#include <string>
#include <vector>

#include "platform/winbase.h"
#include "profile/ini_file.h"
#include "profile/ini_store.h"

using plat::profile::IniFile;

namespace {

DWORD CopyString(const std::string& text, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return (DWORD)n;
}

// Names each followed by NUL, then a second NUL. When they do not fit, the
// list is cut at size - 2 bytes and still ends in two NULs.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  std::string list;
  for (const std::string& name : names) {
    list += name;
    list += '\0';
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  if (list.size() + 1 <= size) {
    memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && size >= 2) buffer[1] = '\0';
    return (DWORD)list.size();
  }
  memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

std::string TrimTrailingBlanks(const char* text) {
  std::string s = text ? text : "";
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.pop_back();
  return s;
}

}  // namespace

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                              DWORD size, LPCSTR fileName) {
  std::string bytes;
  if (!plat::profile::ReadIniFile(fileName, &bytes)) bytes.clear();
  IniFile file = IniFile::Parse(bytes);
  if (!section) return CopyList(file.SectionNames(), buffer, size);
  if (!key) return CopyList(file.KeyNames(section), buffer, size);
  std::string value;
  if (!file.Lookup(section, key, &value)) value = TrimTrailingBlanks(defaultValue);
  return CopyString(value, buffer, size);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  std::string bytes;
  if (!section || !key || !plat::profile::ReadIniFile(fileName, &bytes)) return (UINT)defaultValue;
  std::string value;
  if (!IniFile::Parse(bytes).Lookup(section, key, &value) || value.empty()) {
    return (UINT)defaultValue;
  }
  size_t i = 0;
  bool negative = false;
  if (value[0] == '+' || value[0] == '-') {
    negative = value[0] == '-';
    i = 1;
  }
  uint32_t number = 0;  // wraps like the 32-bit result it becomes
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10u + (uint32_t)(value[i] - '0');
  }
  return negative ? (UINT)(0u - number) : (UINT)number;
}
