// Item and credential decoding. Lengths from the wire are up to 2^32-1, so all
// size arithmetic is done in 64 bits before it is compared with what is left.
#include "rpc/xdr_decode.h"

#include <cassert>
#include <cstring>

#include "platform/winsock.h"

namespace {

constexpr uint32_t kMaxMachineName = 255;

uint64_t Padded(uint64_t length) {
  return (length + 3) & ~uint64_t{3};
}

uint64_t Remaining(const XdrCursor* cursor) {
  return (uint64_t)(cursor->end - cursor->position);
}

uint32_t PeekWord(const uint8_t* at) {
  uint32_t word;
  memcpy(&word, at, sizeof word);
  return ntohl(word);
}

// Converts `count` words in place; positions are word-aligned (see ReceiveBuffer).
uint8_t* WordsToHost(XdrCursor* cursor, int count) {
  if (Remaining(cursor) < 4u * count) return nullptr;
  uint8_t* at = cursor->position;
  uint32_t* words = (uint32_t*)at;
  for (int i = 0; i < count; i++)
    words[i] = ntohl(words[i]);
  cursor->position += 4 * count;
  return at;
}

uint8_t* Skip(XdrCursor* cursor, uint64_t bytes) {
  if (Remaining(cursor) < bytes) return nullptr;
  uint8_t* at = cursor->position;
  cursor->position += bytes;
  return at;
}

// The zero goes into the first pad byte; without one, the text moves back over
// its length word so that the zero still lands inside the item.
char* DecodeString(XdrCursor* cursor) {
  if (Remaining(cursor) < 4) return nullptr;
  uint8_t* at = cursor->position;
  uint32_t length = PeekWord(at);
  if (Padded(length) > Remaining(cursor) - 4) return nullptr;
  char* text;
  if (length % 4 != 0) {
    text = (char*)at + 4;
  } else {
    memmove(at, at + 4, length);
    text = (char*)at;
  }
  text[length] = '\0';
  cursor->position += 4 + Padded(length);
  return text;
}

uint8_t* DecodeOpaque(XdrCursor* cursor) {
  if (Remaining(cursor) < 4) return nullptr;
  uint32_t length = PeekWord(cursor->position);
  if (Padded(length) > Remaining(cursor) - 4) return nullptr;
  uint8_t* at = WordsToHost(cursor, 1);
  cursor->position += Padded(length);
  return at;
}

// The body cursor ends exactly at the declared length.
BOOL DecodeAuthUnixBody(XdrCursor* body, AuthUnix* credential) {
  uint32_t stamp, uid, gid, count;
  if (!ReadWord(body, &stamp)) return FALSE;
  if (Remaining(body) < 4 || PeekWord(body->position) > kMaxMachineName) return FALSE;
  credential->machineName = DecodeString(body);
  if (!credential->machineName) return FALSE;
  if (!ReadWord(body, &uid) || !ReadWord(body, &gid) || !ReadWord(body, &count)) return FALSE;
  if (count > Remaining(body) / 4) return FALSE;
  credential->uid = uid;
  credential->gid = gid;
  credential->gidCount = count < kAuthUnixGids ? count : kAuthUnixGids;
  for (uint32_t i = 0; i < count; i++) {
    uint32_t group;
    ReadWord(body, &group);
    if (i < kAuthUnixGids) credential->gids[i] = group;
  }
  return body->position == body->end;
}

}  // namespace

BOOL ReadWord(XdrCursor* cursor, uint32_t* value) {
  if (Remaining(cursor) < 4) return FALSE;
  *value = PeekWord(cursor->position);
  cursor->position += 4;
  return TRUE;
}

void* DecodeItem(XdrCursor* cursor, int kind) {
  switch (kind) {
    case ITEM_UNSIGNED:
      return WordsToHost(cursor, 1);
    case ITEM_STRING:
      return DecodeString(cursor);
    case ITEM_FILE_HANDLE:
      return Skip(cursor, 32);
    case ITEM_SET_ATTRIBUTES:
      return WordsToHost(cursor, 8);
    case ITEM_OPAQUE:
      return DecodeOpaque(cursor);
    case ITEM_COOKIE:
      return Skip(cursor, 4);
    case ITEM_MAPPING:
      return WordsToHost(cursor, 4);
    case ITEM_REST:
      return cursor->position;
    default:
      return nullptr;
  }
}

BOOL DecodeArguments(RpcRequest* request, XdrCursor* cursor, const ItemKind* kinds) {
  assert(request->tag == kRpcRequestTag);
  for (int i = 0; i < kRequestArguments; i++) {
    if (kinds[i] == ITEM_NONE) continue;
    request->arguments[i] = DecodeItem(cursor, kinds[i]);
    if (!request->arguments[i]) return FALSE;
  }
  return TRUE;
}

CredentialStatus DecodeCredential(XdrCursor* cursor, AuthUnix* credential) {
  uint32_t flavour, length;
  if (!ReadWord(cursor, &flavour) || !ReadWord(cursor, &length)) return CREDENTIAL_SHORT;
  if (Padded(length) > Remaining(cursor)) return CREDENTIAL_SHORT;
  credential->flavour = flavour;
  XdrCursor body = {cursor->position, cursor->position + length};
  cursor->position += Padded(length);
  switch (flavour) {
    case AUTH_NULL:
      break;
    case AUTH_UNIX:
      if (!DecodeAuthUnixBody(&body, credential)) return CREDENTIAL_BAD;
      break;
    case AUTH_SHORT:
      if (length != 8) return CREDENTIAL_BAD;
      ReadWord(&body, &credential->uid);
      ReadWord(&body, &credential->gid);
      break;
    default:
      return CREDENTIAL_BAD;
  }
  uint32_t verifierFlavour, verifierLength;
  if (!ReadWord(cursor, &verifierFlavour) || !ReadWord(cursor, &verifierLength))
    return CREDENTIAL_SHORT;
  if (!Skip(cursor, Padded(verifierLength))) return CREDENTIAL_SHORT;
  return CREDENTIAL_OK;
}
