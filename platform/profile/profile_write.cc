// WritePrivateProfileString: one edit of the lines (see ini_file.h), then an
// atomic replacement of the file (see ini_store.h). Texts that would change
// the file's structure (line ends in any argument, "]" in a section name,
// "=" or a leading "[", ";" or "#" in a key) are refused rather than written.
#include <errno.h>
#include <string.h>

#include <string>

#include "fs/last_error.h"
#include "platform/winbase.h"
#include "profile/ini_file.h"
#include "profile/ini_store.h"

using plat::profile::IniFile;

namespace {

bool HasLineEnd(const char* text) {
  return text && strpbrk(text, "\r\n");
}

bool SafeArguments(LPCSTR section, LPCSTR key, LPCSTR value) {
  if (HasLineEnd(section) || HasLineEnd(key) || HasLineEnd(value)) return false;
  if (strchr(section, ']') || !*section) return false;
  if (key) {
    size_t skip = strspn(key, " \t");
    if (!key[skip] || strchr(key, '=') || strchr("[;#", key[skip])) return false;
  }
  return true;
}

}  // namespace

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  if (!section && !key && !value) return TRUE;  // a request to flush: nothing is cached
  if (!section || !fileName || !SafeArguments(section, key, value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  plat::profile::IniWriteLock lock(fileName);
  std::string bytes;
  bool exists = false;
  if (!lock.Ok() || !lock.Read(&bytes, &exists)) return plat::fs::FailWithLastError();
  IniFile file = IniFile::Parse(bytes);
  bool changed = !key     ? file.DeleteSection(section)
                 : !value ? file.DeleteKey(section, key)
                          : file.SetValue(section, key, value);
  if (!changed) return TRUE;
  if (!lock.Replace(file.Serialize())) return plat::fs::FailWithLastError();
  return TRUE;
}
