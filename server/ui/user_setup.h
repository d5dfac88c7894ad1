// Setup User: a user's name, password, uid, primary group and up to eight
// secondary groups, edited on a copy. OK saves the whole user, Remove marks it
// "<<UNUSED>>"; both apply to the running server at once.
#pragma once

#include "ui/server_record.h"

void ShowUserSetup(ServerRecord* server);
