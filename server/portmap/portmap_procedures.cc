// SET, UNSET, GETPORT and DUMP. No procedure looks at the caller's credential,
// but registrations change only at the machine's own request: anyone may ask
// where a program lives, nobody else may move or remove it.
#include "portmap/portmap_procedures.h"

#include <cassert>

#include "portmap/portmap_table.h"
#include "rpc/rpc_reply.h"
#include "rpc/service_endpoint.h"

namespace {

constexpr uint32_t kPortMapProgram = 100000;
constexpr uint32_t kPortMapVersion = 2;

const Mapping* MappingArgument(RpcRequest* request) {
  assert(request->tag == kRpcRequestTag && request->arguments[0]);
  return (const Mapping*)request->arguments[0];
}

// A loopback sender on a privileged port, as the usual port mapper demands;
// the server's own services register through RegisterCallback instead.
BOOL LocalPrivilegedCaller(const RpcRequest* request) {
  const ReceiveBuffer* buffer = request->receiveBuffer;
  assert(buffer && buffer->tag == kReceiveBufferTag);
  return ntohl(buffer->sender.sin_addr.s_addr) >> 24 == 127 &&
         ntohs(buffer->sender.sin_port) < 1024;
}

}  // namespace

uint32_t PortMapSet(RpcRequest* request) {
  BOOL set = LocalPrivilegedCaller(request) && SetMapping(MappingArgument(request), "");
  EncodeWord(request->resultArea, set ? 1 : 0);
  return 4;
}

uint32_t PortMapUnset(RpcRequest* request) {
  BOOL unset = LocalPrivilegedCaller(request) && UnsetMapping(MappingArgument(request));
  EncodeWord(request->resultArea, unset ? 1 : 0);
  return 4;
}

// A client asking for a version nobody registered still learns where the
// program lives. The port mapper keeps no slot of its own, but a client that
// asks where it listens over TCP (as rpcinfo -p does) is told while it does.
uint32_t PortMapGetPort(RpcRequest* request) {
  const Mapping* mapping = MappingArgument(request);
  uint32_t port = GetPort(mapping);
  if (port == 0 && mapping->program == kPortMapProgram && mapping->version == kPortMapVersion &&
      mapping->protocol == PROTOCOL_TCP)
    port = request->endpoint->streamPort;
  if (port == 0) port = GetPortAnyVersion(mapping);
  EncodeWord(request->resultArea, port);
  return 4;
}

// RFC 1057 pmaplist: each used slot as "more follows" (1) and its mapping,
// ended by 0; 204 bytes at most, well inside the area.
uint32_t PortMapDump(RpcRequest* request) {
  uint8_t* position = request->resultArea;
  for (int i = 0; i < kPortMapSlots; i++) {
    const PortMapping* slot = PortMapSlot(i);
    if (slot->program == 0) continue;
    position = EncodeWord(position, 1);
    position = EncodeWord(position, slot->program);
    position = EncodeWord(position, slot->version);
    position = EncodeWord(position, slot->protocol);
    position = EncodeWord(position, slot->port);
  }
  position = EncodeWord(position, 0);
  return (uint32_t)(position - request->resultArea);
}
