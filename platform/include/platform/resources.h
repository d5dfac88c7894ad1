// Resources a program compiles into itself: string table, menus, dialog
// templates and icons as C++ tables the layer finds under one well-known name,
// ProgramResources; version information as a block PLATFORM_VERSION_INFO puts
// in a section of the program file, where GetFileVersionInfo reads it back.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>

#include "platform/windef.h"
#include "platform/winuser.h"
#include "platform/winver.h"

// Names are MAKEINTRESOURCE(id) or texts; texts match without regard to case.
struct StringResource {
  UINT id;
  LPCSTR text;
};

// Menus as resource compilers lay them out: items in order, an MF_POPUP item
// opens a level whose items follow it, MF_END marks the last item of a level.
// A menu-bar text starting with "\a" is right-justified.
struct MenuItemResource {
  UINT flags;  // MF_STRING, MF_SEPARATOR, MF_POPUP, MF_GRAYED, MF_CHECKED, MF_HELP, MF_END
  UINT id;
  LPCSTR text;
};
struct MenuResource {
  LPCSTR name;
  std::span<const MenuItemResource> items;
};

// Dialog templates; positions and sizes in dialog units of the template's font.
// For an SS_ICON static, text names the icon resource.
struct DialogItemResource {
  LPCSTR className;  // "Button", "Edit", "Static", "ListBox", "ComboBox" or the program's own
  LPCSTR text;
  int id;
  DWORD style;  // WS_CHILD is implied
  short x, y, cx, cy;
  DWORD exStyle = 0;
};
struct DialogResource {
  LPCSTR name;
  DWORD style;  // DS_SETFONT with fontFace and pointSize
  short x, y, cx, cy;
  LPCSTR caption;
  LPCSTR fontFace;
  WORD pointSize;
  std::span<const DialogItemResource> items;
  DWORD exStyle = 0;
};

// Icons as rows of characters, each naming a colour of the palette; a
// character the palette lacks is transparent.
struct IconColor {
  char key;
  COLORREF color;
};
struct IconResource {
  LPCSTR name;
  std::span<const char* const> rows;
  std::span<const IconColor> palette;
};

struct ResourceTable {
  std::span<const StringResource> strings;
  std::span<const MenuResource> menus;
  std::span<const DialogResource> dialogs;
  std::span<const IconResource> icons;
};

// Define it once, in a source file of the program's own executable: an object
// of a static library is linked only when something else needs it, and the
// layer's empty default would then stand in silently.
extern const ResourceTable ProgramResources;

// ---- Version information.
struct VersionNumbers {
  WORD fileVersion[4];     // major, minor, build, revision
  WORD productVersion[4];  // major, minor, build, revision
  DWORD fileFlags = 0;
  DWORD fileType = VFT_APP;
};
struct VersionString {
  const char* key;
  const char* value;
};

// Block layout (little-endian): "PVI1", total size (32 bits), VS_FIXEDFILEINFO,
// then the language and code page text, key/value pairs, and an empty key;
// every text zero-terminated.
namespace plat::res {

inline constexpr char kVersionSection[] = ".plat.version";
inline constexpr size_t kVersionHeaderSize = 8;
inline constexpr size_t kVersionFixedSize = 52;

constexpr size_t TextSize(const char* s) {
  size_t n = 0;
  while (s[n])
    ++n;
  return n + 1;
}

constexpr size_t VersionBlockSize(const char* langCodePage,
                                  std::initializer_list<VersionString> strings) {
  size_t n = kVersionHeaderSize + kVersionFixedSize + TextSize(langCodePage) + 1;
  for (const VersionString& s : strings)
    n += TextSize(s.key) + TextSize(s.value);
  return n;
}

template <size_t N>
struct VersionBlock {
  unsigned char bytes[N];
};

template <size_t N>
constexpr VersionBlock<N> BuildVersionBlock(const VersionNumbers& v, const char* langCodePage,
                                            std::initializer_list<VersionString> strings) {
  VersionBlock<N> b{};
  size_t at = 0;
  auto put32 = [&](DWORD value) {
    for (int i = 0; i < 4; ++i)
      b.bytes[at++] = (unsigned char)(value >> (8 * i));
  };
  auto putText = [&](const char* s) {
    for (size_t i = 0; i < TextSize(s); ++i)
      b.bytes[at++] = (unsigned char)s[i];
  };
  for (char c : {'P', 'V', 'I', '1'})
    b.bytes[at++] = (unsigned char)c;
  put32((DWORD)N);
  put32(VS_FFI_SIGNATURE);
  put32(VS_FFI_STRUCVERSION);
  put32((DWORD)v.fileVersion[0] << 16 | v.fileVersion[1]);
  put32((DWORD)v.fileVersion[2] << 16 | v.fileVersion[3]);
  put32((DWORD)v.productVersion[0] << 16 | v.productVersion[1]);
  put32((DWORD)v.productVersion[2] << 16 | v.productVersion[3]);
  put32(VS_FFI_FILEFLAGSMASK);
  put32(v.fileFlags);
  put32(VOS__WINDOWS32);
  put32(v.fileType);
  put32(0);  // subtype
  put32(0);  // date
  put32(0);
  putText(langCodePage);
  for (const VersionString& s : strings) {
    putText(s.key);
    putText(s.value);
  }
  b.bytes[at++] = 0;
  return b;
}

}  // namespace plat::res

// In one source file of the program:
//   constexpr VersionNumbers kVersion{{2, 1, 0, 0}, {2, 1, 0, 0}};
//   PLATFORM_VERSION_INFO(kVersion, "040904E4", {"FileDescription", "..."}, {"FileVersion",
//   "2.1"});
#define PLATFORM_VERSION_INFO(numbers, langCodePage, ...)                                         \
  [[gnu::used, gnu::section(".plat.version")]] constexpr auto PlatformVersionBlock =              \
      ::plat::res::BuildVersionBlock<::plat::res::VersionBlockSize(langCodePage, {__VA_ARGS__})>( \
          numbers, langCodePage, {__VA_ARGS__})
