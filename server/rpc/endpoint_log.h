// Lines the engine reports through a service's log callback. Reports that a
// stream of datagrams can provoke (drops, failed sends) go through the
// service's limiter; debug traces do not, the operator asked for them.
#pragma once

#include "rpc/service_endpoint.h"

void ReportEndpoint(ServiceEndpoint* endpoint, int level, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void ReportEndpointLimited(ServiceEndpoint* endpoint, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// "a.b.c.d:port" of a sender, for drop reports.
struct SenderText {
  char text[24];
};
SenderText FormatSender(const sockaddr_in* sender);
