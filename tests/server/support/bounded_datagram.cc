// The tail stays poisoned until the engine frees the buffer; freeing poisoned
// heap memory is allowed, and the allocator unpoisons blocks it hands out again.
#include "support/bounded_datagram.h"

#include <cstring>

#include "rpc/rpc_request.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define USING_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(USING_ASAN)
#include <sanitizer/asan_interface.h>
#define POISON_TAIL(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#endif
#ifndef POISON_TAIL
#define POISON_TAIL(address, size) ((void)(address), (void)(size))
#endif

ReceiveBuffer* MakeReceiveBuffer(const uint8_t* bytes, size_t length, uint32_t senderAddress,
                                 uint16_t senderPort) {
  if (length > (size_t)kDatagramSize) return nullptr;
  ReceiveBuffer* buffer = CreateReceiveBuffer();
  if (!buffer) return nullptr;
  if (length > 0) memcpy(buffer->data, bytes, length);
  buffer->length = (int16_t)length;
  buffer->sender.sin_family = AF_INET;
  buffer->sender.sin_addr.s_addr = htonl(senderAddress);
  buffer->sender.sin_port = htons(senderPort);
  POISON_TAIL(buffer->data + length, kDatagramSize - length);
  return buffer;
}
