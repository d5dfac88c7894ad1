// The bucket of a path and the file id of a node: pure arithmetic on the
// format's numbers, shared by the table and by the NFS procedures.
#include "nfs/handle_table.h"

uint16_t PathBucket(const char* path) {
  uint32_t sum = 0;
  for (; path[0] != '\0'; path += 2) {
    sum += (uint32_t)((int32_t)(signed char)path[0] - 32);
    if (path[1] == '\0') break;
    sum += 32u * (uint32_t)((int32_t)(signed char)path[1] - 32);
  }
  return (uint16_t)(sum % kHandleBuckets);
}

uint32_t FileIdOf(const PathNode* node) {
  return (uint32_t)node->serial << 16 | node->bucket;
}
