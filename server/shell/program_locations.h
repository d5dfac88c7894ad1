// Where the server finds its files: the program directory (TCPAPPS_DIR, else the
// program file's directory), TOLMID.INI in it (else the path an environment
// variable "TOLMID.INI" names) and TOLPMID.HLP (beside the program, else named by
// an environment variable "TOLPMID.HLP").
#pragma once

#include "ui/server_record.h"

void LocateProgramFiles(ServerRecord* server);
// NAME in the directory, else the path an environment variable NAME names (when
// it does; the first otherwise).
void LocateNamedFile(const char* directory, const char* name, char* path, size_t size);
