// Local names from remote ones: a remote name becomes one component of the
// local current directory, never a path, a drive, "." or ".."; a local path
// made of remote names keeps its drive and separators and cleans each name.
#pragma once

#include <cstddef>

// Answers whether a file of this name exists in the local current directory.
struct LocalNameCheck {
  bool (*exists)(void* context, const char* name);
  void* context;
};

// Replaces the characters local names cannot hold (* ? : \ / < > | " and
// control characters) and a leading "." by "_". With unique and a file of the
// cleaned name present, appends ".000" to ".998", the first not present (check
// is only used with unique). Returns false when the name is empty, the result
// does not fit in size bytes, or every numbered name is taken; otherwise the
// name in localName and whether it differs from the one given.
bool MakeDosFileName(const char* name, bool unique, const LocalNameCheck* check, char* localName,
                     size_t size, bool* differs);

// "c:/pub/.profile" becomes "c:\pub\_profile": a drive letter and ":" stay in
// front, a leading separator stays, each name passes through MakeDosFileName
// without unique, and separators become "\".
bool DosNameMapping(const char* path, char* mapped, size_t size);
