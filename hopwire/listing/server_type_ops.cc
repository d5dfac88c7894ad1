// One row of operations per server type, indexed by the type: the filters of
// the kinds that list differently, VMS path syntax, and DOS-safe local paths
// for the kinds whose names are Unix-like.
#include "listing/server_type_ops.h"

#include "listing/dos_names.h"
#include "listing/listing_filters.h"
#include "listing/vms_paths.h"

namespace {

const ServerTypeOps kServerTypeOps[] = {
    /* Unknown   */ {nullptr, nullptr, nullptr, nullptr},
    /* Unix      */ {nullptr, nullptr, nullptr, DosNameMapping},
    /* WindowsNT */ {nullptr, nullptr, nullptr, DosNameMapping},
    /* Vms       */ {VmsListingStart, VmsListingFilter, VmsDirectoryMapping, StripVersions},
    /* MacOs     */ {nullptr, MacOsListingFilter, nullptr, nullptr},
    /* Chameleon */ {nullptr, ChameleonListingFilter, nullptr, DosNameMapping},
    /* NetWare   */ {nullptr, NetWareListingFilter, nullptr, nullptr},
};

static_assert(sizeof kServerTypeOps / sizeof kServerTypeOps[0] == (size_t)ServerType::NetWare + 1);

}  // namespace

const ServerTypeOps* GetServerTypeOps(ServerType type) {
  return &kServerTypeOps[(int)type];
}
