// Loading the configuration at start-up: the [tolmid] keys, then the users,
// then the groups (the exports follow once the handle table is open).
#pragma once

#include "config/server_settings.h"
#include "platform/windef.h"

// FALSE only when memory runs out; the lists are then empty again.
BOOL LoadSettings(const char* iniFile, ServerSettings* settings);
