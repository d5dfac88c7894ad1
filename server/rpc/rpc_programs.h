// The four RPC programs of the server as the engine sees them: their procedure
// tables, one decoder per program (called with each received datagram) and
// one dispatcher per program (called with what NextRequest returns).
#pragma once

#include "rpc/procedure_table.h"

extern const ProgramTable PortMapProgram;
extern const ProgramTable MountProgram;
extern const ProgramTable NfsProgram;
extern const ProgramTable PcnfsProgram;

void DecodePortMapCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer);
void DecodeMountCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer);
void DecodeNfsCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer);
void DecodePcnfsCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer);

// The decoder of the service's program.
void DecodeServiceCall(ServiceId service, ServiceEndpoint* endpoint, ReceiveBuffer* buffer);

// The dispatcher of the service's program, and what one request-ready notice asks
// for: the service's oldest request handed to it (nothing when none is queued).
void DispatchServiceRequest(ServiceId service, RpcRequest* request);
void ServeNextRequest(ServiceId service);

void HandlePortMapEvent(RpcRequest* request);
void HandleMountEvent(RpcRequest* request);
void HandleTOLMidEvent(RpcRequest* request);
void HandlePCNFSEvent(RpcRequest* request);
