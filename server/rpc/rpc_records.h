// Records of one RPC call: the received datagram, the decoded credential, the
// reply buffer and the request that owns both buffers. All are allocated
// zero-filled and start with a tag that every user asserts.
#pragma once

#include <cstdint>

#include "platform/winsock.h"

struct ServiceEndpoint;

inline constexpr uint16_t kReceiveBufferTag = 0x5243;
inline constexpr uint16_t kReplyBufferTag = 0x5256;
inline constexpr uint16_t kRpcRequestTag = 0x5350;

inline constexpr int kDatagramSize = 9216;
inline constexpr int kReplyHeaderSize = 24;
inline constexpr int kRequestArguments = 7;
inline constexpr int kAuthUnixGids = 8;

// Message and status words of RFC 1057.
enum : uint32_t { RPC_CALL = 0, RPC_REPLY = 1 };
enum : uint32_t { MSG_ACCEPTED = 0, MSG_DENIED = 1 };
enum AcceptStatus : uint32_t {
  SUCCESS = 0,
  PROG_UNAVAIL = 1,
  PROG_MISMATCH = 2,
  PROC_UNAVAIL = 3,
  GARBAGE_ARGS = 4,
};
enum RejectStatus : uint32_t { RPC_MISMATCH = 0, AUTH_ERROR = 1 };
enum AuthStatus : uint32_t { AUTH_OK = 0, AUTH_BADCRED = 1, AUTH_TOOWEAK = 5 };
enum : uint32_t { AUTH_NULL = 0, AUTH_UNIX = 1, AUTH_SHORT = 2 };

struct ReceiveBuffer {
  uint16_t tag;
  sockaddr_in sender;
  int16_t length;
  // 0 for a datagram; else the serial of the stream connection that carried the
  // call as a record, where its reply goes back.
  uint32_t stream;
  // Items are decoded in place and handed on as 32-bit words, so the data must
  // start on a word boundary.
  alignas(4) uint8_t data[kDatagramSize];
};
static_assert(sizeof(sockaddr_in) == 16);

// The reply buffer: `reply` points just behind the record, in the same block.
struct ReplyCB {
  uint16_t tag;
  int16_t length;
  uint16_t capacity;
  uint8_t* reply;
};

struct AuthUnix {
  uint32_t flavour;
  uint32_t uid;
  uint32_t gid;
  uint32_t gidCount;  // of gids; further ones in the call are not kept
  uint32_t gids[kAuthUnixGids];
  const char* machineName;
};

// The four words of RFC 1057's "mapping", as a decoded call carries them.
struct Mapping {
  uint32_t program;
  uint32_t version;
  uint32_t protocol;
  uint32_t port;
};

struct RpcRequest {
  uint16_t tag;
  RpcRequest* next;
  ReceiveBuffer* receiveBuffer;
  ReplyCB* replyCB;
  uint32_t version;
  uint32_t procedure;
  uint32_t xid;
  ServiceEndpoint* endpoint;
  AuthUnix credential;
  uint16_t resultLength;
  uint8_t* resultArea;
  void* arguments[kRequestArguments];
};
