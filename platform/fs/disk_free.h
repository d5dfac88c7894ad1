// Cluster arithmetic of _getdiskfree (internal), apart from statvfs so that
// file systems larger than any test machine's can be checked.
#pragma once

#include <cstdint>

#include "platform/direct.h"

namespace plat::fs {

// blocks and available blocks of unit bytes each. Clusters are counted in 32
// bits: the cluster grows (doubling the sectors per cluster) until they fit.
void DiskFreeFromBlocks(uint64_t blocks, uint64_t available, uint64_t unit,
                        struct _diskfree_t* info);

}  // namespace plat::fs
