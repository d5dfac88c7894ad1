// The configured users. Name searches skip removed users, whose name is only a
// marker: nobody can authenticate, own an export or be found as
// "<<UNUSED>>". The uid search includes them, since a removed user keeps its
// uid until its record is reused.
#pragma once

#include <cstdint>

#include "config/config_records.h"
#include "config/server_settings.h"
#include "platform/windef.h"

UserEntry* FirstUser();
BOOL IsRemovedUser(const UserEntry* user);

// Names compare without regard to case.
UserEntry* FindUserByName(const char* name);
UserEntry* FindUserByUid(uint32_t uid);
// The first removed record, emptied but keeping its section; else a new
// zero-filled record at the end of the list. None when memory is short.
UserEntry* NewUser();
// Whole: every key, giving a new record the next section number first.
// Name only: how a removal is saved; the other keys stay. Secondary gids: that
// key alone.
void SaveUser(const char* iniFile, UserEntry* user, SaveScope scope);
// Copies every field but the list link and the section number.
void CopyUserFields(UserEntry* to, const UserEntry* from);
// Whether some user, removed ones included, has this primary gid.
BOOL IsPrimaryGid(uint32_t gid);
// Takes the gid out of every user's secondary gids (the last ones move into
// the gaps) and saves the key of each user that had it.
void DropSecondaryGid(const char* iniFile, uint32_t gid);
// The first value from genUID on that no user (removed ones included) has;
// genUID moves one past it and is saved at once.
uint32_t NextUid(const char* iniFile, ServerSettings* settings);

// PCNFSD's check: a live user of that name (any case) whose password is the
// given one byte for byte. A name over 31 or a password over 63 characters
// can't match, and neither can a removed user.
const UserEntry* AuthenticateUser(const char* name, const char* password);

// Reads sections 01, 02, ... up to the first without a name. FALSE only when
// memory runs out.
BOOL LoadUsers(const char* iniFile);
void FreeUserList();
