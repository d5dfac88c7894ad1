// Implements the engine's transport seam by recording.
#include "support/recording_transport.h"

#include "rpc/rpc_transport.h"

namespace {
RecordingTransport transport;
}

RecordingTransport& Transport() {
  return transport;
}

void ResetTransport() {
  transport = RecordingTransport{};
}

int TransmitReply(ServiceEndpoint* endpoint, const ReceiveBuffer* call, const char* bytes,
                  int length, int* error) {
  if (transport.failSendsWith != 0) {
    *error = transport.failSendsWith;
    return SOCKET_ERROR;
  }
  transport.replies.push_back(
      SentReply{endpoint, call->sender,
                std::vector<uint8_t>((const uint8_t*)bytes, (const uint8_t*)bytes + length)});
  return length;
}

BOOL AnnounceRequest(ServiceEndpoint* endpoint) {
  if (transport.failAnnouncements) return FALSE;
  transport.announcements.push_back(endpoint);
  return TRUE;
}
