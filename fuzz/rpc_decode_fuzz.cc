// libFuzzer target: one datagram to the decoder of one program (chosen by the
// input's first byte), then that service's queue drained through its
// dispatcher. The datagram's end is poisoned (support/bounded_datagram.h), so
// ASan reports any access past it; the leak check catches requests that are
// neither answered nor released.
#include <cstdint>
#include <cstring>

#include "config/user_table.h"
#include "portmap/portmap_table.h"
#include "rpc/rpc_programs.h"
#include "rpc/rpc_request.h"
#include "support/bounded_datagram.h"
#include "support/recording_transport.h"

namespace {

void TouchLine(int, const char* text) {
  volatile size_t length = strlen(text);
  (void)length;
}

bool OpenEndpoints() {
  for (int s = 0; s < SERVICE_COUNT; s++) {
    ServiceEndpoint* endpoint = CreateEndpointRecord((ServiceId)s);
    endpoint->logCallback = TouchLine;
    endpoint->debug = 1;
  }
  // A user for PCNFSD's AUTH to find.
  UserEntry* user = NewUser();
  strcpy(user->username, "guest");
  strcpy(user->password, "Secret");
  return true;
}

void Decode(ServiceId service, ReceiveBuffer* buffer) {
  DecodeServiceCall(service, ServiceEndpoints[service], buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool opened = OpenEndpoints();
  (void)opened;
  if (size < 1) return 0;
  ServiceId service = (ServiceId)(data[0] % SERVICE_COUNT);
  ReceiveBuffer* buffer = MakeReceiveBuffer(data + 1, size - 1, 0x0A000001, 700);
  if (!buffer) return 0;

  ClearPortMapTable();
  const Mapping nfs = {100003, 2, 17, 2049}, mount = {100005, 1, 17, 1058};
  SetMapping(&nfs, "NFS File Service");
  SetMapping(&mount, "NFS Mount Service");

  Decode(service, buffer);
  int served = 0;
  while (RpcRequest* request = NextRequest(service)) {
    DispatchServiceRequest(service, request);
    served++;
  }
  // One datagram gives at most one request and at most one reply, of whole words.
  RecordingTransport& transport = Transport();
  if (served > 1 || transport.replies.size() > 1 || transport.announcements.size() > 1)
    __builtin_trap();
  for (const SentReply& reply : transport.replies)
    if (reply.bytes.size() < 20 || reply.bytes.size() % 4 != 0 ||
        reply.bytes.size() > (size_t)(kReplyHeaderSize + kDatagramSize) ||
        memcmp(reply.bytes.data(), data + 1, 4) != 0)
      __builtin_trap();
  ResetTransport();
  return 0;
}
