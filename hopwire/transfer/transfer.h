// The data transfers: a file or a listing received over the data connection, or
// a local file sent. The local name "-" means the controller: a listing's lines
// are reported to it instead of being written to a file.
#pragma once

// command: "RETR", "LIST" or "NLST"; remote may be null (a listing of the current
// directory). 1 when the transfer ran to its end and the server confirmed it
// (a final reply of class 2), 0 otherwise.
int ReceiveFile(const char* command, const char* local, const char* remote, const char* mode,
                bool showNames);
// command: "STOR", "STOU" or "APPE"; remote may be null.
void SendFile(const char* command, const char* local, const char* remote, bool showNames);
