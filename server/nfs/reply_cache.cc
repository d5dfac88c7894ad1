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

// Eight bytes a step, since every changing call is hashed, a WRITE's 8 KiB too.
uint64_t Checksum(const ReceiveBuffer* buffer) {
  const uint8_t* data = buffer->data;
  int length = buffer->length;
  uint64_t hash = 0xcbf29ce484222325u;
  int i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    memcpy(&word, data + i, sizeof word);
    hash = (hash ^ word) * 0x9e3779b97f4a7c15u;
    hash ^= hash >> 32;
  }
  for (; i < length; i++)
    hash = (hash ^ data[i]) * 0x100000001b3u;
  return hash;
}

// The checksum the replay check took, for the reply to the same call.
const RpcRequest* checkedRequest;
uint32_t checkedXid;
uint64_t checkedSum;

uint64_t ChecksumOf(const RpcRequest* request) {
  if (request == checkedRequest && request->xid == checkedXid) return checkedSum;
  return Checksum(request->receiveBuffer);
}

BOOL SameCall(const CachedReply* entry, const RpcRequest* request, uint64_t checksum) {
  const sockaddr_in* sender = &request->receiveBuffer->sender;
  return entry->when != 0 && entry->xid == request->xid && entry->procedure == request->procedure &&
         entry->checksum == checksum && entry->address == sender->sin_addr.s_addr &&
         entry->port == sender->sin_port;
}

}  // namespace

BOOL ReplayNfsReply(RpcRequest* request) {
  if (!ChangesSomething(request->procedure)) return FALSE;
  uint64_t checksum = Checksum(request->receiveBuffer);
  checkedRequest = request;
  checkedXid = request->xid;
  checkedSum = checksum;
  if (newest < 0) return FALSE;
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
  entry->checksum = ChecksumOf(request);
  // A tick count of 0 marks a free entry.
  entry->when = GetTickCount() | 1;
  entry->length = request->resultLength;
  memcpy(entry->result, request->resultArea, request->resultLength);
}

void ClearNfsReplyCache() {
  memset(ring, 0, sizeof ring);
  newest = -1;
  checkedRequest = nullptr;
}
