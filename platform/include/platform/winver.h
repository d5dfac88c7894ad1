// Version information of program files. A program's version resource lives in
// a section of its own in the program file, so reading a file's version
// information really reads that file; a file without the section has none.
#pragma once

#include "platform/windef.h"

typedef struct tagVS_FIXEDFILEINFO {
  DWORD dwSignature;  // VS_FFI_SIGNATURE
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;  // MAKELONG(minor, major)
  DWORD dwFileVersionLS;  // MAKELONG(revision, build)
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

#define VS_FFI_SIGNATURE 0xFEEF04BDL
#define VS_FFI_STRUCVERSION 0x00010000L
#define VS_FFI_FILEFLAGSMASK 0x0000003FL
#define VS_FF_DEBUG 0x00000001L
#define VS_FF_PRERELEASE 0x00000002L
#define VOS__WINDOWS32 0x00000004L
#define VFT_UNKNOWN 0x00000000L
#define VFT_APP 0x00000001L

// path is a Windows path. Size 0 (and GetLastError) when the file has none.
DWORD GetFileVersionInfoSize(LPCSTR path, LPDWORD handle);
BOOL GetFileVersionInfo(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
// subBlock "\" gives the VS_FIXEDFILEINFO; "\StringFileInfo\040904E4\FileVersion"
// a value, its length in characters with the terminator (0 for an empty value).
// Keys match without regard to case. The answer points into data.
BOOL VerQueryValue(LPCVOID data, LPCSTR subBlock, LPVOID* value, PUINT length);

inline constexpr auto& GetFileVersionInfoSizeA = GetFileVersionInfoSize;
inline constexpr auto& GetFileVersionInfoA = GetFileVersionInfo;
inline constexpr auto& VerQueryValueA = VerQueryValue;
