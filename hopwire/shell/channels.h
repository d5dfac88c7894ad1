// The two named sections shared with the controller, 512 bytes each, created or
// opened (whoever comes first makes them) and mapped writable for the whole run.
#pragma once

#include "platform/windef.h"

void OpenChannels();
void CloseChannels();

// A zero-filled movable block with the request text in "FtpChannel1", ended at its
// first NUL or after 511 characters; null when there is no memory or no channel.
HGLOBAL CopyRequestText();
