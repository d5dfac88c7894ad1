// What a checked record does in this process. Windows are looked up in this
// process's own table only: a record never makes this process ask another one.
#pragma once

#include "ipc/records.h"

namespace plat::ipc {

void HandleRecord(const RecordHeader& record, const unsigned char* payload);

}  // namespace plat::ipc
