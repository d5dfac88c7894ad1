// Setup Export Directories: an export's directory, owner and nine permission
// bits, edited on a copy. OK saves the export (a new one takes the first free
// slot and is mountable at once); Remove takes it out of the running server.
#pragma once

#include "ui/server_record.h"

// `from` is the export to edit, or none for a new one. The caller refills the
// exports list afterwards.
void ShowExportSetup(ServerRecord* server, const ExportEntry* from);
