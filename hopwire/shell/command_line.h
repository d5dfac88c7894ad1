// Requests 503 and 511: "keep" lines switch the keep-alive; every other line is
// echoed as "ftp> <line>" (a login's password hidden) and handed to the
// command interpreter.
#pragma once

#include <cstddef>

void CommandLineRequest(const char* text);

// The echo of a command line, with the password of a login replaced by "x"s.
void BuildEcho(const char* text, char* echo, size_t size);
