// The configured groups. Removed groups ("<<UNUSED>>") keep their record and
// section for reuse but are found by no search: their gid is free at once.
#pragma once

#include <cstdint>

#include "config/config_records.h"
#include "config/server_settings.h"
#include "platform/windef.h"

GroupEntry* FirstGroup();
BOOL IsRemovedGroup(const GroupEntry* group);

// Names compare without regard to case.
GroupEntry* FindGroupByName(const char* name);
GroupEntry* FindGroupByGid(uint32_t gid);
// The first removed record, emptied but keeping its section; else a new
// zero-filled record at the end of the list. None when memory is short.
GroupEntry* NewGroup();
void SaveGroup(const char* iniFile, GroupEntry* group, SaveScope scope);
// The first value from genGID on that no live group has; genGID moves one
// past it and is saved at once.
uint32_t NextGid(const char* iniFile, ServerSettings* settings);

BOOL LoadGroups(const char* iniFile);
void FreeGroupList();
