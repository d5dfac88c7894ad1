// The socket error table is the order of the resources 170-219: a code's text is
// the resource at its index, and every other code gets 220.
#include "shell/messages.h"

#include <stdio.h>

#include <iterator>

#include "platform/windows.h"
#include "platform/winsock.h"
#include "shell/message_ids.h"

namespace {

char slots[3][kMessageSlotSize];

const int kSocketErrors[] = {
    WSAEINTR,           WSAEBADF,          WSAEACCES,       WSAEFAULT,       WSAEINVAL,
    WSAEMFILE,          WSAEWOULDBLOCK,    WSAEINPROGRESS,  WSAEALREADY,     WSAENOTSOCK,
    WSAEDESTADDRREQ,    WSAEMSGSIZE,       WSAEPROTOTYPE,   WSAENOPROTOOPT,  WSAEPROTONOSUPPORT,
    WSAESOCKTNOSUPPORT, WSAEOPNOTSUPP,     WSAEPFNOSUPPORT, WSAEAFNOSUPPORT, WSAEADDRINUSE,
    WSAEADDRNOTAVAIL,   WSAENETDOWN,       WSAENETUNREACH,  WSAENETRESET,    WSAECONNABORTED,
    WSAECONNRESET,      WSAENOBUFS,        WSAEISCONN,      WSAENOTCONN,     WSAESHUTDOWN,
    WSAETOOMANYREFS,    WSAETIMEDOUT,      WSAECONNREFUSED, WSAELOOP,        WSAENAMETOOLONG,
    WSAEHOSTDOWN,       WSAEHOSTUNREACH,   WSAENOTEMPTY,    WSAEPROCLIM,     WSAEUSERS,
    WSAEDQUOT,          WSAESTALE,         WSAEREMOTE,      WSASYSNOTREADY,  WSAVERNOTSUPPORTED,
    WSANOTINITIALISED,  WSAHOST_NOT_FOUND, WSATRY_AGAIN,    WSANO_RECOVERY,  WSANO_DATA,
};
static_assert(kFirstSocketErrorText + std::size(kSocketErrors) == kUnknownSocketErrorText);

}  // namespace

const char* LoadMessage(int slot, UINT number) {
  if (slot < 0 || slot > 2) slot = 0;
  char* text = slots[slot];
  if (LoadString(GetModuleHandle(nullptr), number, text, kMessageSlotSize) == 0)
    snprintf(text, kMessageSlotSize, "**err LoadString ID %u **", number);
  return text;
}

const char* SocketErrorText(int code) {
  UINT number = kUnknownSocketErrorText;
  for (size_t i = 0; i < std::size(kSocketErrors); ++i) {
    if (kSocketErrors[i] == code) number = kFirstSocketErrorText + (UINT)i;
  }
  return LoadMessage(2, number);
}
