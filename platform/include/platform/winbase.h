// Process-level services of the platform layer: errors, time, the program file.
#pragma once

#include "platform/windef.h"

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_SHARING_VIOLATION 32
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_ALREADY_EXISTS 183
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814
#define ERROR_INVALID_WINDOW_HANDLE 1400
#define ERROR_INVALID_MENU_HANDLE 1401
#define ERROR_INVALID_DATA 13
#define ERROR_CANNOT_FIND_WND_CLASS 1407
#define ERROR_CLASS_ALREADY_EXISTS 1410
#define ERROR_CLASS_DOES_NOT_EXIST 1411
#define ERROR_NOT_ENOUGH_QUOTA 1816
#define ERROR_GEN_FAILURE 31
#define ERROR_STACK_OVERFLOW 1001
#define ERROR_TIMEOUT 1460

DWORD GetLastError();
void SetLastError(DWORD error);

// Milliseconds since an arbitrary start, wrapping every 49.7 days.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);

// a * b / c in 64 bits, rounded half away from zero; -1 when c is 0 or the
// result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

// The program file as a Windows path (its drive from the drive map).
DWORD GetModuleFileName(HMODULE module, LPSTR buffer, DWORD size);
HMODULE GetModuleHandle(LPCSTR moduleName);

inline constexpr auto& GetModuleFileNameA = GetModuleFileName;

// Files by Windows path (see platform/io.h for the path rules).
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080

DWORD GetFileAttributes(LPCSTR path);
BOOL SetFileAttributes(LPCSTR path, DWORD attributes);  // only READONLY has an effect
BOOL MoveFile(LPCSTR from, LPCSTR to);                  // fails when "to" exists
#define MOVEFILE_REPLACE_EXISTING 0x00000001
// With MOVEFILE_REPLACE_EXISTING a writable file "to" is replaced in one step.
BOOL MoveFileEx(LPCSTR from, LPCSTR to, DWORD flags);

// Private-profile (INI) files: sections and keys match without regard to case;
// a write keeps every other line and replaces the file atomically.
DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                              DWORD size, LPCSTR fileName);
UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// Global memory. Handles are small numbers (below 65536) so that they fit the
// 16-bit fields of DDE messages; a block is reached through GlobalLock.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);  // NULL on success, the handle on failure
SIZE_T GlobalSize(HGLOBAL block);

// Global atoms: shared by every process of the desktop, names without regard to case.
ATOM GlobalAddAtom(LPCSTR name);
ATOM GlobalDeleteAtom(ATOM atom);  // 0 on success
ATOM GlobalFindAtom(LPCSTR name);
UINT GlobalGetAtomName(ATOM atom, LPSTR buffer, int size);

// Named shared memory: a section lives while some process holds a handle or a view of
// it; the first creator gets it zero-filled, later ones get ERROR_ALREADY_EXISTS.
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define FILE_MAP_ALL_ACCESS 0x000F001F

typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect,
                         DWORD sizeHigh, DWORD sizeLow, LPCSTR name);
HANDLE OpenFileMapping(DWORD access, BOOL inherit, LPCSTR name);
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID view);
BOOL CloseHandle(HANDLE handle);

inline constexpr auto& CreateFileMappingA = CreateFileMapping;
inline constexpr auto& OpenFileMappingA = OpenFileMapping;

// A debugger attached to this process (a tracer), and a breakpoint for it.
BOOL IsDebuggerPresent();
void DebugBreak();
