// The four endpoint slots and the records that fill them. Opening sockets and
// registering with the port mapper belong to the endpoint module, which builds
// on these two operations.
#include "rpc/service_endpoint.h"

#include <cassert>
#include <cstdlib>

#include "rpc/rpc_alloc.h"
#include "rpc/rpc_request.h"

ServiceEndpoint* ServiceEndpoints[SERVICE_COUNT];

namespace {
constexpr uint32_t kTags[SERVICE_COUNT] = {kNfsEndpointTag, kPortMapEndpointTag, kMountEndpointTag,
                                           kPcnfsEndpointTag};
}

uint32_t ServiceTag(ServiceId service) {
  assert(service >= 0 && service < SERVICE_COUNT);
  return kTags[service];
}

ServiceEndpoint* CreateEndpointRecord(ServiceId service) {
  if (ServiceEndpoints[service]) return nullptr;
  ServiceEndpoint* endpoint = (ServiceEndpoint*)RpcAllocate(sizeof(ServiceEndpoint));
  if (!endpoint) return nullptr;
  endpoint->tag = ServiceTag(service);
  endpoint->socket = INVALID_SOCKET;
  ServiceEndpoints[service] = endpoint;
  return endpoint;
}

void DestroyEndpointRecord(ServiceId service) {
  ServiceEndpoint* endpoint = ServiceEndpoints[service];
  if (!endpoint) return;
  assert(endpoint->tag == ServiceTag(service));
  ReleaseQueuedRequests(endpoint);
  ServiceEndpoints[service] = nullptr;
  free(endpoint);
}
