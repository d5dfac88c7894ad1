// The operations that differ by server type, as one table row per type. Every
// operation is optional (nullptr); the row of Unknown has none, and callers
// look at the row only once a type is known.
#pragma once

#include <cstddef>

#include "listing/listing_state.h"
#include "listing/server_type.h"

// Rewrites a path into mapped (size bytes with the terminator). Returns false,
// with mapped empty, when the result does not fit or no name can be made; the
// caller then treats the path as unusable rather than using it unmapped.
typedef bool (*PathMapping)(const char* path, char* mapped, size_t size);

struct ServerTypeOps {
  ListingStart listingStart;      // before each listing
  ListingFilter listingFilter;    // each listing line from the data connection
  PathMapping remotePathMapping;  // a remote directory into the server's syntax
  PathMapping localPathMapping;   // a local path made of remote names, made safe locally
};

const ServerTypeOps* GetServerTypeOps(ServerType type);
