// READDIR. Cookies are file ids, and the entries are the platform's
// enumeration of the directory, "." and ".." included, each under the lower-
// case last component of its record. Where a continued listing starts comes
// from the directory's snapshot (dir_listing.h); without one, from a fresh
// enumeration searched for the cookie's name.
#include <cstring>

#include "nfs/child_node.h"
#include "nfs/dir_listing.h"
#include "nfs/file_attributes.h"
#include "nfs/nfs_call.h"
#include "nfs/nfs_procedures.h"
#include "platform/winsock.h"
#include "rpc/rpc_reply.h"

namespace {

constexpr uint32_t kReplyArea = 9216;
// The status, the closing "no more entries" word and the end flag.
constexpr uint32_t kFrame = 12;

const char* LastComponent(const char* path) {
  const char* slash = strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

// Where a continued listing starts; NFSERR_IO when the cookie names no record
// and no snapshot knows where it stood.
NfsStatus FindStart(const PathNode* directory, uint32_t cookie, DirListing** listing,
                    uint32_t* next) {
  if (cookie == 0) {
    *listing = SnapshotDirectory(directory);
    *next = 0;
    return *listing ? NFS_OK : NFSERR_IO;
  }
  if ((*listing = ListingAfterCookie(directory, cookie, next))) return NFS_OK;
  PathNode* node = NodeFromId((uint16_t)(cookie & 0xFFFF), (uint16_t)(cookie >> 16));
  if (!node) return NFSERR_IO;
  char name[MAX_PATH];
  strcpy(name, LastComponent(node->path));
  // The snapshot a client was paging through knows names removed since.
  if ((*listing = CachedListing(directory)) && FindListedName(*listing, name, next)) return NFS_OK;
  if (!(*listing = SnapshotDirectory(directory))) return NFSERR_IO;
  if (!FindListedName(*listing, name, next)) *next = ListingCount(*listing);
  return NFS_OK;
}

}  // namespace

uint32_t NfsReadDir(RpcRequest* request) {
  NfsTarget directory;
  if (NfsStatus status = ResolveTarget(request, 0, ACCESS_SEARCH, &directory))
    return StatusReply(request, status);
  if (!IsDirectory(directory.node)) return StatusReply(request, NFSERR_NOTDIR);
  uint32_t cookie;
  memcpy(&cookie, request->arguments[1], sizeof cookie);
  cookie = ntohl(cookie);
  uint32_t limit = *static_cast<const uint32_t*>(request->arguments[2]);
  if (limit > kReplyArea) limit = kReplyArea;

  DirListing* listing;
  uint32_t next;
  if (NfsStatus status = FindStart(directory.node, cookie, &listing, &next))
    return StatusReply(request, status);
  uint8_t* at = request->resultArea + 4;
  uint32_t used = kFrame;
  // The page's new records reach the disk together, before the reply names them.
  BeginTableBatch();
  uint32_t count = ListingCount(listing);
  uint32_t lastId = 0;
  BOOL listedAny = FALSE;
  for (; next < count; next++) {
    WireName name = {ListingName(listing, next), (uint32_t)strlen(ListingName(listing, next))};
    // A host name no client could use again is not listed.
    if (!IsComponentName(name, NAME_LOOKUP)) continue;
    char path[MAX_PATH];
    if (MakeChildPath(directory.node, name, path) != NFS_OK) continue;
    // The recorded name differs from this one in case at most.
    uint32_t entry = 16 + ((name.length + 3) & ~3u);
    if (used + entry > limit) break;
    PathNode* node = FindOrAddPath(path);
    if (!node) {
      EndTableBatch();
      return StatusReply(request, NFSERR_IO);
    }
    uint32_t id = FileIdOf(node);
    at = EncodeWord(at, 1);
    at = EncodeWord(at, id);
    at = EncodeString(at, LastComponent(node->path));
    at = EncodeWord(at, id);
    used += entry;
    lastId = id;
    listedAny = TRUE;
  }
  if (!EndTableBatch()) return StatusReply(request, NFSERR_IO);
  if (listedAny) MarkPageEnd(listing, lastId, next);
  at = EncodeWord(at, 0);
  EncodeWord(at, next >= count ? 1 : 0);
  EncodeWord(request->resultArea, NFS_OK);
  return used;
}
