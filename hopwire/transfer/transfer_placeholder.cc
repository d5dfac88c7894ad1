// Stands in for the data transfers until they exist: a transfer or listing says
// which command it would have sent, sends nothing and fails.
#include "hopwire/session_state.h"
#include "shell/report.h"
#include "transfer/transfer.h"

namespace {

void NotAvailable(const char* command, const char* remote) {
  ReportLine("502 Data transfers not available: %s%s%s not sent.\n", command, remote ? " " : "",
             remote ? remote : "");
  session.replyCode = -1;
}

}  // namespace

int ReceiveFile(const char* command, const char*, const char* remote, const char*, bool) {
  NotAvailable(command, remote);
  return 0;
}

void SendFile(const char* command, const char*, const char* remote, bool) {
  NotAvailable(command, remote);
}
