// Procedure tables of the port mapper, mount, NFS and PCNFSD programs. NULL
// (procedure 0) has no row: every decoder answers it. A row with a null
// handler is queued and then released without a reply; giving it a procedure
// is a change of that row alone.
#include "rpc/rpc_programs.h"

#include "mount/mount_procedures.h"
#include "nfs/nfs_call.h"
#include "nfs/nfs_procedures.h"
#include "pcnfsd/pcnfsd_procedures.h"
#include "portmap/portmap_procedures.h"
#include "rpc/rpc_request.h"

namespace {

constexpr ItemKind U = ITEM_UNSIGNED;
constexpr ItemKind S = ITEM_STRING;
constexpr ItemKind FH = ITEM_FILE_HANDLE;
constexpr ItemKind SA = ITEM_SET_ATTRIBUTES;
constexpr ItemKind OP = ITEM_OPAQUE;
constexpr ItemKind CK = ITEM_COOKIE;
constexpr ItemKind MAP = ITEM_MAPPING;
constexpr ItemKind REST = ITEM_REST;
constexpr ResultLength FIXED = LENGTH_FIXED;
constexpr ResultLength PROC = LENGTH_PROCEDURE;
constexpr uint16_t kWholeArea = kDatagramSize;

// clang-format off
constexpr ProcedureRow kPortMapRows[] = {
  // vers proc unix   arguments        area        length      handler
  {2,     1,   FALSE, {MAP},           4,          FIXED, 4,   PortMapSet},
  {2,     2,   FALSE, {MAP},           4,          FIXED, 4,   PortMapUnset},
  {2,     3,   FALSE, {MAP},           4,          FIXED, 4,   PortMapGetPort},
  {2,     4,   FALSE, {},              kWholeArea, PROC,  0,   PortMapDump},
};

constexpr ProcedureRow kMountRows[] = {
  {1,     1,   TRUE,  {S},             36,         FIXED, 36,  MountMnt},
  {1,     2,   FALSE, {},              kWholeArea, PROC,  0,   nullptr},  // DUMP
  {1,     3,   TRUE,  {S},             0,          FIXED, 0,   MountUmnt},
  {1,     4,   TRUE,  {},              0,          FIXED, 0,   MountUmntAll},
  {1,     5,   FALSE, {},              kWholeArea, PROC,  0,   MountExport},
};

// AUTH_UNIX is checked program-wide (authUnixAll), so the column stays FALSE.
// Names are opaque: their bytes are checked whole, NUL included.
constexpr ProcedureRow kNfsRows[] = {
  {2,     1,   FALSE, {FH},            72,         PROC,  0,   NfsGetAttr},
  {2,     2,   FALSE, {FH, SA},        72,         PROC,  0,   NfsSetAttr},
  {2,     4,   FALSE, {FH, OP},        104,        PROC,  0,   NfsLookup},
  {2,     6,   FALSE, {FH, U, U, U},   kWholeArea, PROC,  0,   NfsRead},
  {2,     8,   FALSE, {FH, U, U, U, OP}, 72,       PROC,  0,   NfsWrite},
  {2,     9,   FALSE, {FH, OP, SA},    104,        PROC,  0,   NfsCreate},
  {2,     10,  FALSE, {FH, OP},        4,          FIXED, 4,   NfsRemove},
  {2,     11,  FALSE, {FH, OP, FH, OP}, 4,         FIXED, 4,   NfsRename},
  {2,     12,  FALSE, {FH, FH, OP},    4,          FIXED, 4,   NfsLink},
  {2,     14,  FALSE, {FH, OP, SA},    104,        PROC,  0,   NfsMkdir},
  {2,     15,  FALSE, {FH, OP},        4,          FIXED, 4,   NfsRmdir},
  {2,     16,  FALSE, {FH, CK, U},     kWholeArea, PROC,  0,   NfsReadDir},
  {2,     17,  FALSE, {FH},            24,         PROC,  0,   NfsStatFs},
};

constexpr ProcedureRow kPcnfsRows[] = {
  // Names and passwords are opaque: their bytes are scrambled, any may be zero.
  {1,     1,   FALSE, {OP, OP},        12,         FIXED, 12,  PcnfsAuth},
  {1,     2,   TRUE,  {S, S},          264,        PROC,  0,   PcnfsPrInit},
  {1,     3,   TRUE,  {S, S, S, S, S}, 4,          PROC,  0,   PcnfsPrStart},
  {2,     1,   FALSE, {S, S},          552,        PROC,  0,   PcnfsInfo2},
  {2,     2,   TRUE,  {S, S, S},       524,        PROC,  0,   PcnfsPrInit2},
  {2,     3,   TRUE,  {S, S, S, S, S, U, S}, 264,  PROC,  0,   PcnfsPrStart2},
  {2,     4,   FALSE, {},              kWholeArea, PROC,  0,   PcnfsPrList2},
  {2,     5,   TRUE,  {S, S, S, U, S}, 4,          PROC,  0,   nullptr},  // PR_QUEUE
  {2,     6,   TRUE,  {S, S},          540,        PROC,  0,   nullptr},  // PR_STATUS
  {2,     7,   TRUE,  {S, S, S, S, S}, 264,        PROC,  0,   nullptr},  // PR_CANCEL
  {2,     8,   TRUE,  {S, S, S, S},    264,        PROC,  0,   nullptr},  // PR_ADMIN
  {2,     9,   TRUE,  {S, S, S, S, U, S}, 264,     PROC,  0,   nullptr},  // PR_REQUEUE
  {2,     10,  TRUE,  {S, S, S, S, S}, 264,        PROC,  0,   nullptr},  // PR_HOLD
  {2,     11,  TRUE,  {S, S, S, S, S}, 264,        PROC,  0,   nullptr},  // PR_RELEASE
  {2,     12,  FALSE, {S, REST},       4,          PROC,  0,   nullptr},  // MAPID
  {2,     13,  FALSE, {S, OP, OP, S},  48,         FIXED, 48,  PcnfsAuth2},
  {2,     14,  TRUE,  {S, S, S, S},    264,        PROC,  0,   nullptr},  // ALERT
};
// clang-format on

template <size_t N>
constexpr int Count(const ProcedureRow (&)[N]) {
  return (int)N;
}

}  // namespace

const ProgramTable PortMapProgram = {.service = SERVICE_PORTMAP,
                                     .program = 100000,
                                     .lowVersion = 2,
                                     .highVersion = 2,
                                     .authUnixAll = FALSE,
                                     .rows = kPortMapRows,
                                     .rowCount = Count(kPortMapRows)};
const ProgramTable MountProgram = {.service = SERVICE_MOUNT,
                                   .program = 100005,
                                   .lowVersion = 1,
                                   .highVersion = 1,
                                   .authUnixAll = FALSE,
                                   .rows = kMountRows,
                                   .rowCount = Count(kMountRows)};
const ProgramTable NfsProgram = {.service = SERVICE_NFS,
                                 .program = 100003,
                                 .lowVersion = 2,
                                 .highVersion = 2,
                                 .authUnixAll = TRUE,
                                 .rows = kNfsRows,
                                 .rowCount = Count(kNfsRows),
                                 .hooks = &NfsProgramHooks};
const ProgramTable PcnfsProgram = {.service = SERVICE_PCNFSD,
                                   .program = 150001,
                                   .lowVersion = 1,
                                   .highVersion = 2,
                                   .authUnixAll = FALSE,
                                   .rows = kPcnfsRows,
                                   .rowCount = Count(kPcnfsRows)};

void DecodePortMapCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer) {
  DecodeProgramCall(&PortMapProgram, endpoint, buffer);
}
void DecodeMountCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer) {
  DecodeProgramCall(&MountProgram, endpoint, buffer);
}
void DecodeNfsCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer) {
  DecodeProgramCall(&NfsProgram, endpoint, buffer);
}
void DecodePcnfsCall(ServiceEndpoint* endpoint, ReceiveBuffer* buffer) {
  DecodeProgramCall(&PcnfsProgram, endpoint, buffer);
}

void HandlePortMapEvent(RpcRequest* request) {
  DispatchProgramRequest(&PortMapProgram, request);
}
void HandleMountEvent(RpcRequest* request) {
  DispatchProgramRequest(&MountProgram, request);
}
void HandleTOLMidEvent(RpcRequest* request) {
  DispatchProgramRequest(&NfsProgram, request);
}
void HandlePCNFSEvent(RpcRequest* request) {
  DispatchProgramRequest(&PcnfsProgram, request);
}

void DecodeServiceCall(ServiceId service, ServiceEndpoint* endpoint, ReceiveBuffer* buffer) {
  switch (service) {
    case SERVICE_NFS:
      DecodeNfsCall(endpoint, buffer);
      break;
    case SERVICE_PORTMAP:
      DecodePortMapCall(endpoint, buffer);
      break;
    case SERVICE_MOUNT:
      DecodeMountCall(endpoint, buffer);
      break;
    case SERVICE_PCNFSD:
    case SERVICE_COUNT:
      DecodePcnfsCall(endpoint, buffer);
      break;
  }
}

void DispatchServiceRequest(ServiceId service, RpcRequest* request) {
  switch (service) {
    case SERVICE_NFS:
      HandleTOLMidEvent(request);
      break;
    case SERVICE_PORTMAP:
      HandlePortMapEvent(request);
      break;
    case SERVICE_MOUNT:
      HandleMountEvent(request);
      break;
    case SERVICE_PCNFSD:
    case SERVICE_COUNT:
      HandlePCNFSEvent(request);
      break;
  }
}

void ServeNextRequest(ServiceId service) {
  if (RpcRequest* request = NextRequest(service)) DispatchServiceRequest(service, request);
}
