// Receive buffers holding a given datagram. Under AddressSanitizer the unused
// tail of the data area is poisoned, so any read or write past the datagram's
// last byte is reported even though the area itself is 9216 bytes long.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rpc/rpc_records.h"

// Null when the datagram is longer than a receive buffer or memory is short.
ReceiveBuffer* MakeReceiveBuffer(const uint8_t* bytes, size_t length, uint32_t senderAddress,
                                 uint16_t senderPort);
