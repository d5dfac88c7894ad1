// One held directory per export slot: the NFS service's file calls are
// confined to the export they serve, so neither ".." nor a host symbolic link
// below an export leads out of it, however the tree changes meanwhile.
#pragma once

#include "config/config_records.h"

// Confines the file calls that follow to the export's directory; FALSE when
// it can't be held (the directory is gone).
BOOL ConfineToExport(const ExportEntry* entry);
// Lifts the confinement.
void EndConfinement();
// Closes every held directory (at shut-down, or when exports change).
void CloseExportAnchors();
// Closes one slot's directory: its export was removed.
void CloseExportAnchor(int slot);
