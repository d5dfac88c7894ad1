// Server-log lines on standard error as well, for an operator without a window:
// a terminal, or the journal of a service manager, then shows why a start failed.
// Off until the program entry switches it on.
#pragma once

#include "platform/windef.h"

void SetLogEcho(BOOL on);
BOOL LogEchoOn();
// One line: the file's stamp and text. A closing carriage return (the string
// table's texts have one) is left off, as journals show such a line as binary.
void EchoLogLine(const char* stamp, const char* text);
