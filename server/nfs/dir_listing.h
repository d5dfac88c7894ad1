// Snapshots of directory listings for READDIR. A client pages through a
// directory with the cookie of the last entry it got; the snapshot remembers
// where that entry stood, so a page costs its own entries, not a walk of the
// whole directory, and a name removed since (as a recursive remove does)
// still marks its place. A few snapshots are kept, least recently used first
// to go; a listing from the start always takes a fresh one.
#pragma once

#include <cstdint>

#include "nfs/handle_table.h"
#include "platform/windef.h"

struct DirListing;

// A fresh snapshot of the directory's names in the platform's order; none
// when memory is short or the directory can't be enumerated.
DirListing* SnapshotDirectory(const PathNode* directory);
// The snapshot one of whose recent pages ended with `cookie` (a client may
// repeat a page whose reply it lost), with the index after it.
DirListing* ListingAfterCookie(const PathNode* directory, uint32_t cookie, uint32_t* next);
// Any snapshot of the directory, or none.
DirListing* CachedListing(const PathNode* directory);
// The index after the first name equal to `name` without regard to case.
BOOL FindListedName(const DirListing* listing, const char* name, uint32_t* next);
uint32_t ListingCount(const DirListing* listing);
const char* ListingName(const DirListing* listing, uint32_t index);
// Remembers where a page ended, for ListingAfterCookie.
void MarkPageEnd(DirListing* listing, uint32_t cookie, uint32_t next);
void DropDirListings();
