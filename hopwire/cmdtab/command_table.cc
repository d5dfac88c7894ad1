// The 43 rows. Several names share a handler (get and recv, close and
// disconnect); the handlers tell them apart by word 0 where they must.
#include "cmdtab/command_table.h"

#include <string.h>

#include "interp/handlers.h"

const CommandEntry cmdtab[kCommandCount] = {
    {"append", "append to a file", true, AppendCommand},
    {"ascii", "set ascii transfer type", true, AsciiCommand},
    {"binary", "set binary transfer type", true, BinaryCommand},
    {"bye", "terminate ftp session and exit", false, QuitCommand},
    {"cd", "change remote working directory", true, ChangeRemoteDirectoryCommand},
    {"cdup", "change remote working directory to parent directory", true, ParentDirectoryCommand},
    {"close", "terminate ftp session", true, CloseCommand},
    {"delete", "delete remote file", true, DeleteCommand},
    {"dir", "list contents of remote directory", true, ListingCommand},
    {"dirx", "list contents of remote directory", true, ListModeListingCommand},
    {"disconnect", "terminate ftp session", true, CloseCommand},
    {"form", "set file transfer format", true, FormCommand},
    {"get", "receive file", true, RetrieveCommand},
    {"getx", "get files using full pathnames", true, ControllerRetrieveCommand},
    {"gettmp", "get a temporary file for print/preview", true, TemporaryRetrieveCommand},
    {"help", "print local help information", false, HelpCommand},
    {"image", "set binary transfer type", true, BinaryCommand},
    {"lcd", "change local working directory", false, LocalDirectoryCommand},
    {"lmkdir", "make directory on the local machine", false, LocalMakeDirectoryCommand},
    {"lookup", "lookup a hostname and return IP address", false, HostLookupCommand},
    {"lpwd", "shows the current local working directory", false, LocalDirectoryDisplayCommand},
    {"ls", "list contents of remote directory", true, ListingCommand},
    {"mkdir", "make directory on the remote machine", true, MakeRemoteDirectoryCommand},
    {"mode", "set file transfer mode", true, ModeCommand},
    {"nlist", "nlist contents of remote directory", true, ListingCommand},
    {"open", "connect to remote tftp", false, OpenCommand},
    {"sendport", "toggle use of PORT cmd for each data connection", false, SendPortCommand},
    {"put", "send one file", true, StoreCommand},
    {"putx", "put files using full pathnames", true, ControllerStoreCommand},
    {"pwd", "print working directory on remote machine", true, RemoteDirectoryDisplayCommand},
    {"quit", "terminate ftp session and exit", false, QuitCommand},
    {"quote", "send arbitrary ftp command", true, QuoteCommand},
    {"recv", "receive file", true, RetrieveCommand},
    {"rename", "rename file", true, RenameCommand},
    {"rmdir", "remove directory on the remote machine", true, RemoveRemoteDirectoryCommand},
    {"send", "send one file", true, StoreCommand},
    {"status", "show current status", false, StatusCommand},
    {"struct", "set file transfer structure", true, StructureCommand},
    {"system", "show remote system type", true, SystemCommand},
    {"tenex", "set tenex file transfer type", true, TenexCommand},
    {"type", "set file transfer type", true, TypeCommand},
    {"user", "send new user information", true, LoginCommand},
    {"?", "print local help information", false, HelpCommand},
};

CommandLookup LookupCommand(const char* word, const CommandEntry** found) {
  size_t length = strlen(word);
  int matches = 0;
  for (const CommandEntry& entry : cmdtab) {
    if (strcmp(entry.name, word) == 0) {
      *found = &entry;
      return CommandLookup::kFound;
    }
    if (strncmp(entry.name, word, length) == 0) {
      *found = &entry;
      ++matches;
    }
  }
  if (matches == 1) return CommandLookup::kFound;
  return matches > 1 ? CommandLookup::kAmbiguous : CommandLookup::kNotFound;
}
