// Shared reply layouts.
#include "nfs/nfs_reply.h"

#include <cstring>

#include "nfs/file_attributes.h"
#include "rpc/rpc_reply.h"

uint32_t AttributesReply(RpcRequest* request, const PathNode* node, const FileHandle* handle) {
  if (!MakeAttributes(node, handle, request->resultArea + 4))
    return StatusReply(request, NFSERR_IO);
  EncodeWord(request->resultArea, NFS_OK);
  return 4 + kAttributesSize;
}

uint32_t HandleReply(RpcRequest* request, PathNode* node, const NfsTarget* directory) {
  FileHandle handle;
  MakeFileHandle(node, directory->handle, &handle);
  if (!MakeAttributes(node, directory->handle, request->resultArea + 4 + kFileHandleSize))
    return StatusReply(request, NFSERR_IO);
  EncodeWord(request->resultArea, NFS_OK);
  memcpy(request->resultArea + 4, handle.bytes, kFileHandleSize);
  return 4 + kFileHandleSize + kAttributesSize;
}
