// XDR decoding in place, inside the receive buffer: numbers become host order
// where they lie and strings get their terminating zero where they lie. A
// cursor never moves past its end, so no item is ever read outside the bytes
// received.
#pragma once

#include <cstdint>

#include "platform/windef.h"
#include "rpc/rpc_records.h"

struct XdrCursor {
  uint8_t* position;
  uint8_t* end;
};

enum ItemKind : uint8_t {
  ITEM_NONE = 0,
  ITEM_UNSIGNED = 1,        // one word
  ITEM_STRING = 2,          // zero-terminated text
  ITEM_FILE_HANDLE = 3,     // 32 opaque bytes
  ITEM_SET_ATTRIBUTES = 4,  // eight words of an RFC 1094 sattr
  ITEM_OPAQUE = 5,          // the length word, the bytes behind it
  ITEM_COOKIE = 6,          // 4 opaque bytes
  ITEM_MAPPING = 7,         // a Mapping
  ITEM_REST = 8,            // the position itself; nothing is consumed
};

// Reads one word in host order (the buffer is left as it is).
BOOL ReadWord(XdrCursor* cursor, uint32_t* value);

// The reference to the decoded item, or null when the kind is unknown or the
// item does not lie entirely before the cursor's end.
void* DecodeItem(XdrCursor* cursor, int kind);

// Decodes the items of `kinds` into the request's argument places; a kind 0
// leaves its place empty. FALSE when any item fails.
BOOL DecodeArguments(RpcRequest* request, XdrCursor* cursor, const ItemKind* kinds);

enum CredentialStatus {
  CREDENTIAL_OK,
  CREDENTIAL_SHORT,  // the credential or verifier runs past the datagram
  CREDENTIAL_BAD,    // a flavour we don't know, or a body that contradicts its length
};
// Decodes the credential and skips the verifier; on success the cursor stands
// on the procedure's first argument.
CredentialStatus DecodeCredential(XdrCursor* cursor, AuthUnix* credential);
