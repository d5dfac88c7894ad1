// The kinds of FTP server the slave tells apart and their recognition from
// reply texts. A connection's type is decided once: detection only ever
// answers while the current type is Unknown.
#pragma once

enum class ServerType { Unknown, Unix, WindowsNT, Vms, MacOs, Chameleon, NetWare };

// Searches a reply line (the last line of a 220, 215 or 200 reply, its code
// included) for the known system names in a fixed order, case-sensitively.
// Returns true and the type and the name that matched (for the "215 %s\n"
// report) when current is Unknown and a name is found; otherwise false, and
// the outputs are left alone.
bool DetectServerType(ServerType current, const char* line, ServerType* detected,
                      const char** name);
