// Each snapshot is one block of names and one array of their offsets; a
// directory is known by its path and its file id, so a directory removed and
// made again under the same path never meets the old snapshot.
#include "nfs/dir_listing.h"

#include <cstdlib>
#include <cstring>

#include "platform/io.h"
#include "platform/winbase.h"

struct DirListing {
  char path[MAX_PATH];
  uint32_t directoryId;
  char* names;
  uint32_t namesUsed, namesSize;
  uint32_t* offsets;
  uint32_t count, capacity;
  struct PageEnd {
    uint32_t cookie, next;
    BOOL known;
  } pageEnds[4];
  uint32_t pageEndsMarked;
  DWORD lastUse;
};

namespace {

constexpr int kListings = 4;
DirListing* listings[kListings];

BOOL SameIgnoringCase(const char* a, const char* b) {
  for (;; a++, b++) {
    char x = (*a >= 'A' && *a <= 'Z') ? (char)(*a + 32) : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? (char)(*b + 32) : *b;
    if (x != y) return FALSE;
    if (!x) return TRUE;
  }
}

void FreeListing(DirListing* listing) {
  if (!listing) return;
  free(listing->names);
  free(listing->offsets);
  free(listing);
}

BOOL Grow(void** block, uint32_t* size, uint32_t needed, size_t unit) {
  if (needed <= *size) return TRUE;
  uint32_t grown = *size ? *size : 256;
  while (grown < needed)
    grown *= 2;
  void* larger = realloc(*block, (size_t)grown * unit);
  if (!larger) return FALSE;
  *block = larger;
  *size = grown;
  return TRUE;
}

BOOL Append(DirListing* listing, const char* name) {
  uint32_t length = (uint32_t)strlen(name) + 1;
  if (!Grow(reinterpret_cast<void**>(&listing->names), &listing->namesSize,
            listing->namesUsed + length, 1) ||
      !Grow(reinterpret_cast<void**>(&listing->offsets), &listing->capacity, listing->count + 1,
            sizeof(uint32_t))) {
    return FALSE;
  }
  memcpy(listing->names + listing->namesUsed, name, length);
  listing->offsets[listing->count++] = listing->namesUsed;
  listing->namesUsed += length;
  return TRUE;
}

BOOL Enumerate(DirListing* listing) {
  char pattern[MAX_PATH + 4];
  size_t length = strlen(listing->path);
  if (length + 4 >= sizeof pattern) return FALSE;
  memcpy(pattern, listing->path, length);
  strcpy(pattern + length, length && listing->path[length - 1] == '\\' ? "*.*" : "\\*.*");
  _finddata_t found;
  intptr_t find = _findfirst(pattern, &found);
  if (find == -1) return TRUE;  // an enumeration that can't start is exhausted
  BOOL complete = TRUE;
  do {
    if (!Append(listing, found.name)) complete = FALSE;
  } while (complete && _findnext(find, &found) == 0);
  _findclose(find);
  return complete;
}

BOOL Describes(const DirListing* listing, const PathNode* directory) {
  return listing && listing->directoryId == FileIdOf(directory) &&
         strcmp(listing->path, directory->path) == 0;
}

int SlotFor(const PathNode* directory) {
  int chosen = 0;
  for (int i = 0; i < kListings; i++) {
    if (Describes(listings[i], directory) || !listings[i]) return i;
    if (listings[i]->lastUse - listings[chosen]->lastUse > 0x80000000u) chosen = i;
  }
  return chosen;
}

}  // namespace

DirListing* SnapshotDirectory(const PathNode* directory) {
  int slot = SlotFor(directory);
  FreeListing(listings[slot]);
  listings[slot] = nullptr;
  DirListing* listing = static_cast<DirListing*>(calloc(1, sizeof(DirListing)));
  if (!listing || strlen(directory->path) >= sizeof listing->path) {
    free(listing);
    return nullptr;
  }
  strcpy(listing->path, directory->path);
  listing->directoryId = FileIdOf(directory);
  if (!Enumerate(listing)) {
    FreeListing(listing);
    return nullptr;
  }
  listing->lastUse = GetTickCount();
  listings[slot] = listing;
  return listing;
}

DirListing* ListingAfterCookie(const PathNode* directory, uint32_t cookie, uint32_t* next) {
  DirListing* listing = CachedListing(directory);
  if (!listing) return nullptr;
  for (const DirListing::PageEnd& end : listing->pageEnds) {
    if (!end.known || end.cookie != cookie) continue;
    *next = end.next;
    return listing;
  }
  return nullptr;
}

DirListing* CachedListing(const PathNode* directory) {
  for (DirListing* listing : listings) {
    if (!Describes(listing, directory)) continue;
    listing->lastUse = GetTickCount();
    return listing;
  }
  return nullptr;
}

BOOL FindListedName(const DirListing* listing, const char* name, uint32_t* next) {
  for (uint32_t i = 0; i < listing->count; i++) {
    if (!SameIgnoringCase(ListingName(listing, i), name)) continue;
    *next = i + 1;
    return TRUE;
  }
  return FALSE;
}

uint32_t ListingCount(const DirListing* listing) {
  return listing->count;
}

const char* ListingName(const DirListing* listing, uint32_t index) {
  return listing->names + listing->offsets[index];
}

void MarkPageEnd(DirListing* listing, uint32_t cookie, uint32_t next) {
  const uint32_t ends = sizeof listing->pageEnds / sizeof listing->pageEnds[0];
  listing->pageEnds[listing->pageEndsMarked++ % ends] = {cookie, next, TRUE};
}

void DropDirListings() {
  for (DirListing*& listing : listings) {
    FreeListing(listing);
    listing = nullptr;
  }
}
