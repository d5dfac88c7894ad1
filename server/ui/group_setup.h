// Setup User Groups: a group's name and gid, edited on a copy. OK saves the
// whole group; Remove marks it "<<UNUSED>>" and takes its gid out of every
// user's secondary groups. Both apply to the running server at once.
#pragma once

#include "ui/server_record.h"

void ShowGroupSetup(ServerRecord* server);
