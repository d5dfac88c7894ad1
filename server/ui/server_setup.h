// Setup NFS Server: which services run, the preferred transfer size, start
// minimised and Unix-style export names. OK applies the switches to the running
// server at once, through the shell's starts and stops, and saves them.
#pragma once

#include "ui/server_record.h"

void ShowServerSetup(ServerRecord* server);
