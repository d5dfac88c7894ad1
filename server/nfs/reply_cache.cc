// A ring of recent replies searched from the newest; an xid alone is not
// enough (some clients reuse them), so the whole datagram's checksum is part
// of the key.
#include "nfs/reply_cache.h"

#include <cstring>

#include "platform/winbase.h"

namespace {

constexpr int kEntries = 256;
constexpr DWORD kKeepMs = 120000;
constexpr uint16_t kMaxResult = 104;  // CREATE and MKDIR, the largest cached

struct CachedReply {
  uint32_t address;
  uint16_t port;
  uint16_t length;
  uint32_t xid;
  uint32_t procedure;
  uint64_t checksum;
  DWORD when;
  uint8_t result[kMaxResult];
};

CachedReply ring[kEntries];
int newest = -1;

// SETATTR, WRITE, CREATE, REMOVE, RENAME, LINK, MKDIR, RMDIR.
BOOL ChangesSomething(uint32_t procedure) {
  switch (procedure) {
    case 2:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 14:
    case 15:
      return TRUE;
    default:
      return FALSE;
  }
}

uint64_t Checksum(const ReceiveBuffer* buffer) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (int i = 0; i < buffer->length; i++)
    hash = (hash ^ buffer->data[i]) * 0x100000001b3u;
  return hash;
}

BOOL SameCall(const CachedReply* entry, const RpcRequest* request, uint64_t checksum) {
  const sockaddr_in* sender = &request->receiveBuffer->sender;
  return entry->when != 0 && entry->xid == request->xid && entry->procedure == request->procedure &&
         entry->checksum == checksum && entry->address == sender->sin_addr.s_addr &&
         entry->port == sender->sin_port;
}

}  // namespace

BOOL ReplayNfsReply(RpcRequest* request) {
  if (!ChangesSomething(request->procedure) || newest < 0) return FALSE;
  uint64_t checksum = Checksum(request->receiveBuffer);
  DWORD now = GetTickCount();
  for (int i = 0; i < kEntries; i++) {
    const CachedReply* entry = &ring[(newest - i + kEntries) % kEntries];
    if (entry->when == 0 || now - entry->when > kKeepMs) break;
    if (!SameCall(entry, request, checksum)) continue;
    memcpy(request->resultArea, entry->result, entry->length);
    request->resultLength = entry->length;
    return TRUE;
  }
  return FALSE;
}

void RememberNfsReply(const RpcRequest* request) {
  if (!ChangesSomething(request->procedure) || request->resultLength > kMaxResult) return;
  newest = (newest + 1) % kEntries;
  CachedReply* entry = &ring[newest];
  const sockaddr_in* sender = &request->receiveBuffer->sender;
  entry->address = sender->sin_addr.s_addr;
  entry->port = sender->sin_port;
  entry->xid = request->xid;
  entry->procedure = request->procedure;
  entry->checksum = Checksum(request->receiveBuffer);
  // A tick count of 0 marks a free entry.
  entry->when = GetTickCount() | 1;
  entry->length = request->resultLength;
  memcpy(entry->result, request->resultArea, request->resultLength);
}

void ClearNfsReplyCache() {
  memset(ring, 0, sizeof ring);
  newest = -1;
}
