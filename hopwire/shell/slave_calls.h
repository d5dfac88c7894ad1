// What the shell asks of the slave's other parts: the command interpreter runs a
// command line, the control connection closes the FTP session and sends the
// keep-alive's NOOP, and request 500 sets the service port and option defaults.
#pragma once

// Runs one command line (at most 510 characters); reports through ReportLine.
void ExecuteCommandLine(const char* text);

// QUIT when connected, then the control socket is closed.
void CloseSession();
// Sends one command line on the control connection and reads its reply; returns
// the reply class (0 when it could not be sent).
int SendCommand(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The FTP service port ("200-..." and "200 assuming default port 21 for FTP" when
// the services database has none), then verbose and use of PORT on.
void ServicePortAndOptionDefaults();
