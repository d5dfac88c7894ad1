// The command handlers the command table names, grouped by the file that holds
// them. Each takes the word count and the words, word 0 as typed.
#pragma once

// transfer_types.cc
void TypeCommand(int argc, char** argv);
void AsciiCommand(int argc, char** argv);
void BinaryCommand(int argc, char** argv);
void TenexCommand(int argc, char** argv);
void FormCommand(int argc, char** argv);
void ModeCommand(int argc, char** argv);
void StructureCommand(int argc, char** argv);

// session_commands.cc
void OpenCommand(int argc, char** argv);
void CloseCommand(int argc, char** argv);
void QuitCommand(int argc, char** argv);
void LoginCommand(int argc, char** argv);
void StatusCommand(int argc, char** argv);
void SystemCommand(int argc, char** argv);
void SendPortCommand(int argc, char** argv);
void QuoteCommand(int argc, char** argv);
void HostLookupCommand(int argc, char** argv);

// help.cc
void HelpCommand(int argc, char** argv);

// remote_commands.cc
void ChangeRemoteDirectoryCommand(int argc, char** argv);
void ParentDirectoryCommand(int argc, char** argv);
void RemoteDirectoryDisplayCommand(int argc, char** argv);
void MakeRemoteDirectoryCommand(int argc, char** argv);
void RemoveRemoteDirectoryCommand(int argc, char** argv);
void DeleteCommand(int argc, char** argv);
void RenameCommand(int argc, char** argv);

// listing_commands.cc
void ListingCommand(int argc, char** argv);
void ListModeListingCommand(int argc, char** argv);

// transfer_commands.cc
void RetrieveCommand(int argc, char** argv);
void StoreCommand(int argc, char** argv);
void AppendCommand(int argc, char** argv);
void ControllerRetrieveCommand(int argc, char** argv);
void ControllerStoreCommand(int argc, char** argv);
void TemporaryRetrieveCommand(int argc, char** argv);

// local_commands.cc
void LocalDirectoryCommand(int argc, char** argv);
void LocalDirectoryDisplayCommand(int argc, char** argv);
void LocalMakeDirectoryCommand(int argc, char** argv);
