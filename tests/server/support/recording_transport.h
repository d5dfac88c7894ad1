// A transport for tests and the fuzz target: replies and request-ready notices
// are recorded instead of sent and posted; either can be made to fail.
#pragma once

#include <cstdint>
#include <vector>

#include "rpc/service_endpoint.h"

struct SentReply {
  ServiceEndpoint* endpoint;
  sockaddr_in to;
  std::vector<uint8_t> bytes;
};

struct RecordingTransport {
  std::vector<SentReply> replies;
  std::vector<ServiceEndpoint*> announcements;
  int failSendsWith = 0;  // a socket error code; 0 sends normally
  bool failAnnouncements = false;
};

RecordingTransport& Transport();
void ResetTransport();
