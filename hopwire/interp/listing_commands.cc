// Listings. On a server of a known type the listing goes through its filter for
// this one command, the directory in its syntax. On servers of unknown type and on
// Chameleon servers the directory is entered with CWD and listed without an
// argument, and the listing always goes to the controller.
#include <string.h>
#include <time.h>

#include "control/control_connection.h"
#include "hopwire/session_state.h"
#include "interp/command_words.h"
#include "interp/handlers.h"
#include "listing/server_type_ops.h"
#include "shell/message_ids.h"
#include "shell/report.h"
#include "transfer/transfer.h"

namespace {

const char* FilterListingLine(const char* line) {
  ListingFilter filter = GetServerTypeOps(session.serverType)->listingFilter;
  return filter ? filter(&session.listing, line) : nullptr;
}

void StartListing(const ServerTypeOps* ops) {
  if (ops->listingStart) {
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    ops->listingStart(&session.listing, &local);
  }
  if (ops->listingFilter) session.outputFilter = FilterListingLine;
}

// A listing whose directory cannot be entered would list another one instead.
bool EnterListedDirectory(const char* directory) {
  if (!directory) return true;
  if (SendWithFallback("CWD", "XCWD", kMsgTryingXcwd, directory) == kReplyComplete) return true;
  ReportLine("\n");
  return false;
}

void List(int argc, char** argv) {
  if (argc > 3) return Usage(kMsgListingUsage, argv[0]);
  const char* command = argv[0][0] == 'n' ? "NLST" : "LIST";
  const char* local = argc > 2 ? argv[2] : "-";
  char directory[kPathSize];
  const char* mapped = nullptr;
  if (argc > 1) {
    if (!MapRemotePath(argv[1], directory, sizeof directory)) {
      ReportMessage(kMsgCantChangeDirectory, argv[1]);
      session.replyCode = -1;
      return;
    }
    mapped = directory;
  }
  switch (session.serverType) {
    case ServerType::Unknown:
      if (!EnterListedDirectory(mapped)) return;
      ReceiveFile(command, "-", nullptr, "w", false);
      return;
    case ServerType::Chameleon:
      StartListing(GetServerTypeOps(session.serverType));
      for (char* p = directory; mapped && *p; ++p) {
        if (*p == '/') *p = '\\';
      }
      EnterListedDirectory(mapped);
      ReceiveFile(command, "-", nullptr, "w", false);
      return;
    default:
      StartListing(GetServerTypeOps(session.serverType));
      ReceiveFile(command, local, mapped, "w", false);
      return;
  }
}

}  // namespace

void ListingCommand(int argc, char** argv) {
  List(argc, argv);
}

void ListModeListingCommand(int argc, char** argv) {
  session.listMode = true;
  List(argc, argv);
  session.listMode = false;
}
