// The record of one running RPC service and the four global slots that hold
// them. A slot is empty (null) while its service is stopped; a filled slot's
// record carries the tag of that service, which every user asserts.
#pragma once

#include <cstdint>

#include "platform/windows.h"
#include "platform/winsock.h"
#include "rpc/log_limiter.h"
#include "rpc/rpc_records.h"

enum ServiceId { SERVICE_NFS, SERVICE_PORTMAP, SERVICE_MOUNT, SERVICE_PCNFSD, SERVICE_COUNT };

inline constexpr uint32_t kNfsEndpointTag = 0x4E46;
inline constexpr uint32_t kPortMapEndpointTag = 0x504D;
inline constexpr uint32_t kMountEndpointTag = 0x4D44;
inline constexpr uint32_t kPcnfsEndpointTag = 0x5043;

// Posted to the notify window, both parameters 0, once per queued request.
inline constexpr UINT kPortMapRequestReady = 2025;
inline constexpr UINT kMountRequestReady = 2026;
inline constexpr UINT kNfsRequestReady = 2027;
inline constexpr UINT kPcnfsRequestReady = 2028;

enum { LOG_TRACE = 0, LOG_ERROR = 1 };  // informative only
typedef void (*LogCallback)(int level, const char* text);

enum { REGISTER_SET = 0, REGISTER_UNSET = 1 };
typedef BOOL (*RegisterCallbackProc)(int operation, const Mapping* mapping, const char* name);

struct ServiceEndpoint {
  uint32_t tag;
  uint32_t active;
  uint32_t debug;
  SOCKET socket;
  uint16_t port;  // host order; looked up for PCNFSD
  // Port mapper only: the TCP listener's port (host order), 0 while there is none.
  uint16_t streamPort;
  HWND notifyWindow;
  UINT notifyMessage;
  RpcRequest* queueHead;
  RpcRequest* queueTail;
  LogCallback logCallback;
  RegisterCallbackProc registerCallback;
  LogLimiter logLimiter;
};

extern ServiceEndpoint* ServiceEndpoints[SERVICE_COUNT];

uint32_t ServiceTag(ServiceId service);

// Makes the zero-filled record of a service (no socket yet) and puts it in its
// slot. Null when the slot is occupied or memory is short.
ServiceEndpoint* CreateEndpointRecord(ServiceId service);
// Releases every queued request with its buffers, frees the record and empties
// the slot. Nothing happens when the slot is already empty.
void DestroyEndpointRecord(ServiceId service);
