// Formatting and delivery of engine reports; texts longer than a log line are cut.
#include "rpc/endpoint_log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/winbase.h"

namespace {
constexpr int kLineSize = 256;
}

void ReportEndpoint(ServiceEndpoint* endpoint, int level, const char* format, ...) {
  if (!endpoint->logCallback) return;
  char line[kLineSize];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  endpoint->logCallback(level, line);
}

void ReportEndpointLimited(ServiceEndpoint* endpoint, const char* format, ...) {
  uint32_t leftOut = 0;
  if (!endpoint->logCallback || !LogLimiterAdmit(&endpoint->logLimiter, GetTickCount(), &leftOut))
    return;
  char line[kLineSize];
  va_list args;
  va_start(args, format);
  int used = vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (leftOut > 0 && used >= 0 && used < kLineSize)
    snprintf(line + used, sizeof line - used, " (%u similar reports left out)", leftOut);
  endpoint->logCallback(LOG_ERROR, line);
}

SenderText FormatSender(const sockaddr_in* sender) {
  SenderText out;
  uint32_t address = ntohl(sender->sin_addr.s_addr);
  snprintf(out.text, sizeof out.text, "%u.%u.%u.%u:%u", address >> 24, (address >> 16) & 0xff,
           (address >> 8) & 0xff, address & 0xff, (unsigned)ntohs(sender->sin_port));
  return out;
}
