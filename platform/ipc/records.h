// The records that carry messages between the processes of a desktop, one
// datagram each. Both ends run on the same machine, so fields are in host order.
#pragma once

#include <cstdint>

namespace plat::ipc {

inline constexpr uint32_t kRecordMagic = 0x4D57504C;  // "LPWM"
inline constexpr uint16_t kRecordVersion = 1;
inline constexpr uint32_t kMaxPayload = 65536;

enum RecordKind : uint16_t {
  kPost = 1,      // a posted message
  kSend = 2,      // a sent message; the receiver answers with kReply and the same serial
  kReply = 3,     // lParam carries the result
  kActivate = 4,  // bring hwnd to the front
  kQuery = 5,     // is hwnd a live window? answered with kReply (1 or 0)
};

// Record flags.
inline constexpr uint32_t kHasBlock = 0x1;         // payload = a memory block to hand over
inline constexpr uint32_t kReleaseOriginal = 0x2;  // the poster may free the block it lent

struct RecordHeader {
  uint32_t magic;
  uint16_t version;
  uint16_t kind;
  uint32_t senderPid;
  uint32_t flags;
  uint64_t serial;
  uint64_t hwnd;
  uint64_t wParam;
  int64_t lParam;
  uint32_t message;
  uint32_t payloadLength;
  uint32_t blockHandle;  // the sender's own handle of the block it lends
  uint32_t reserved;
};
static_assert(sizeof(RecordHeader) == 64);

}  // namespace plat::ipc
