// The FTP port comes from the services database when it has "ftp/tcp" and is 21
// otherwise; the controller is told when the database lacks it.
#include "hopwire/session_state.h"
#include "shell/message_ids.h"
#include "shell/report.h"
#include "shell/slave_calls.h"

void ServicePortAndOptionDefaults() {
  if (const servent* service = getservbyname("ftp", "tcp")) {
    session.ftpPort = (u_short)service->s_port;
  } else {
    ReportMessage(kMsgServiceLookupError);
    ReportMessage(kMsgAssumingPort21);
    session.ftpPort = htons(21);
  }
  session.verbose = true;
  session.sendPort = true;
}
