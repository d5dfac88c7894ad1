// Version 2 replies carry every field of the published version 2 layouts
// (home directory, umask, spool directory, job id, comments), so clients
// generated from that protocol decode them; nothing is logged per call.
#include "pcnfsd/pcnfsd_procedures.h"

#include <cassert>
#include <cstring>

#include "config/user_table.h"
#include "pcnfsd/login_lockout.h"
#include "platform/winbase.h"
#include "platform/winsock.h"
#include "rpc/endpoint_log.h"
#include "rpc/rpc_reply.h"

namespace {

enum : uint32_t { AUTH_RES_OK = 0, AUTH_RES_FAIL = 2 };
enum : uint32_t { PRINT_OK = 0, PRINT_NO_SUCH_PRINTER = 1 };

constexpr uint32_t kDefaultUmask = 022;
constexpr char kNoComment[] = "No comment";
constexpr int kFacilityCount = 15;

// Unscrambles an opaque argument (length word in host order, then bytes) into
// text. FALSE when no stored name or password could equal it: too long, or a
// byte that would turn into the terminator and hide what follows it.
BOOL Unscramble(const void* item, char* text, size_t size) {
  const uint8_t* at = static_cast<const uint8_t*>(item);
  uint32_t length;
  memcpy(&length, at, sizeof length);
  if (length >= size) return FALSE;
  for (uint32_t i = 0; i < length; i++) {
    text[i] = (char)((at[4 + i] & 0x7F) ^ 0x5B);
    if (text[i] == '\0') return FALSE;
  }
  text[length] = '\0';
  return TRUE;
}

const UserEntry* Authenticate(RpcRequest* request, const void* name, const void* password) {
  uint32_t address = ntohl(request->receiveBuffer->sender.sin_addr.s_addr);
  DWORD now = GetTickCount();
  if (LoginLockedOut(address, now)) return nullptr;
  char user[kNameSize];
  char secret[kPasswordSize];
  const UserEntry* entry = nullptr;
  if (Unscramble(name, user, sizeof user) && Unscramble(password, secret, sizeof secret))
    entry = AuthenticateUser(user, secret);
  memset(secret, 0, sizeof secret);
  LockoutStart lockout = entry ? LOCKOUT_NONE : CountLoginFailure(address, now);
  if (lockout == LOCKOUT_OF_ADDRESS) {
    ReportEndpoint(request->endpoint, LOG_ERROR,
                   "%u.%u.%u.%u failed to log in %d times within a minute; its logins are "
                   "refused until the minute ends.",
                   address >> 24, (address >> 16) & 0xff, (address >> 8) & 0xff, address & 0xff,
                   kLockoutFailures);
  } else if (lockout == LOCKOUT_OF_ALL_OTHERS) {
    ReportEndpointLimited(request->endpoint,
                          "%d addresses failed to log in within a minute; logins from any other "
                          "are refused until one of those minutes ends.",
                          kLockoutEntries);
  }
  return entry;
}

uint8_t* EncodeIdentity(uint8_t* position, const UserEntry* user) {
  position = EncodeWord(position, user ? AUTH_RES_OK : AUTH_RES_FAIL);
  position = EncodeWord(position, user ? user->uid : 0);
  return EncodeWord(position, user ? user->gid : 0);
}

uint32_t Written(const RpcRequest* request, const uint8_t* end) {
  return (uint32_t)(end - request->resultArea);
}

}  // namespace

uint32_t PcnfsAuth(RpcRequest* request) {
  const UserEntry* user = Authenticate(request, request->arguments[0], request->arguments[1]);
  return Written(request, EncodeIdentity(request->resultArea, user));
}

// Status 0 and an empty spool directory; the zero bytes after them are part of
// this reply's fixed length.
uint32_t PcnfsPrInit(RpcRequest*) {
  return 264;
}

uint32_t PcnfsPrStart(RpcRequest* request) {
  return Written(request, EncodeWord(request->resultArea, PRINT_OK));
}

uint32_t PcnfsInfo2(RpcRequest* request) {
  char version[sizeof kPcnfsVersionText + 1 + 256] = "";
  char host[256];
  if (gethostname(host, sizeof host) != 0) host[0] = '\0';
  strcpy(version, kPcnfsVersionText);
  strcat(version, " ");
  strcat(version, host);
  uint8_t* position = EncodeString(request->resultArea, version);
  position = EncodeString(position, kNoComment);
  position = EncodeWord(position, kFacilityCount);
  for (int procedure = 0; procedure < kFacilityCount; procedure++) {
    BOOL offered = procedure <= 2 || procedure == 13;
    position = EncodeWord(position, offered ? 100 : 0xFFFFFFFF);
  }
  return Written(request, position);
}

uint32_t PcnfsPrInit2(RpcRequest* request) {
  uint8_t* position = EncodeWord(request->resultArea, PRINT_NO_SUCH_PRINTER);
  position = EncodeString(position, "");  // spool directory
  return Written(request, EncodeString(position, ""));
}

uint32_t PcnfsPrStart2(RpcRequest* request) {
  uint8_t* position = EncodeWord(request->resultArea, PRINT_NO_SUCH_PRINTER);
  position = EncodeString(position, "");  // job id
  return Written(request, EncodeString(position, ""));
}

uint32_t PcnfsPrList2(RpcRequest* request) {
  uint8_t* position = EncodeString(request->resultArea, "");
  return Written(request, EncodeWord(position, 0));  // no printers
}

uint32_t PcnfsAuth2(RpcRequest* request) {
  const UserEntry* user = Authenticate(request, request->arguments[1], request->arguments[2]);
  uint8_t* position = EncodeIdentity(request->resultArea, user);
  position = EncodeWord(position, 0);     // cuid
  position = EncodeWord(position, 0);     // cgid
  position = EncodeWord(position, 0);     // no further groups
  position = EncodeString(position, "");  // home directory
  position = EncodeWord(position, kDefaultUmask);
  return Written(request, EncodeString(position, kNoComment));
}
