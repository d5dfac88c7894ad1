// The two log commands of the Options menu: "Log to File" switches file logging
// (the file is neither opened nor closed by it) and "Log File Setup" chooses the
// file and its open mode, closing the current file and opening the chosen one.
#pragma once

#include "ui/server_record.h"

void ToggleFileLogging(ServerRecord* server);
void ShowLogFileSetup(ServerRecord* server);
