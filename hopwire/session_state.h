// SessionState: the one process-wide record of the FTP slave. Fields are grouped by
// the part of the program that owns them; each group's owner is the only writer,
// the others read. Later parts add their groups here.
#pragma once

#include <cstdint>

#include "listing/listing_state.h"
#include "listing/server_type.h"
#include "platform/windows.h"
#include "platform/winsock.h"

inline constexpr int kChannelSize = 512;           // bytes of each named section
inline constexpr int kMaxChannelText = 511;        // characters a channel holds
inline constexpr int kMaxRequestText = 510;        // characters of a request text kept
inline constexpr int kMaxQueuedRequestTexts = 64;  // text blocks a controller may have queued
inline constexpr int kMaxHeldRequests = 64;
inline constexpr int kHostNameSize = 81;       // 80 characters
inline constexpr int kReplyBufferSize = 2048;  // control connection bytes read ahead
inline constexpr int kByteSizeTextSize = 4;
inline constexpr int kTransferBufferSize = 262144;  // one received or stored block
inline constexpr int kControllerLineSize = 128;    // 125 characters, "\r\n" and the terminator

// A filter of listing lines: a line in, its replacement out, or null to leave it as
// it is.
using OutputFilter = const char* (*)(const char* line);

// A request that arrived while another one was running, kept for after it.
struct HeldRequest {
  WORD code;
  HGLOBAL text;  // null: none
};

struct SessionState {
  // ---- Process shell and channel to the controller.
  HWND window = nullptr;
  HANDLE requestSection = nullptr;  // "FtpChannel1": the controller writes, we read
  HANDLE outputSection = nullptr;   // "FtpChannel2": we write, the controller reads
  char* requestView = nullptr;
  char* outputView = nullptr;
  char outputBuffer[kChannelSize] = {};
  OutputFilter outputFilter = nullptr;  // applies to data-connection listing lines only
  bool networkStarted = false;
  bool debugLines = false;
  bool exitRequested = false;
  bool busy = false;  // a command line is being executed
  bool keepAlive = false;
  int idleSeconds = 0;
  bool quiet = false;
  bool listMode = false;
  bool transferActive = false;
  bool abortRequested = false;
  int32_t transferBytes = 0;  // -1 marks a failed receive
  int32_t lastReportedBytes = 0;
  int progressTicks = 0;
  DWORD lastTickService = 0;
  int missingControllerTicks = 0;
  int32_t expectedSize = 0;
  in_addr localAddress = {};
  HGLOBAL netWorkArea = nullptr;
  void* netWorkAreaData = nullptr;  // the area locked
  // Requests run one at a time: one that reaches the window while another runs (from
  // inside a network wait) is held until the running one ends.
  int requestDepth = 0;
  HeldRequest held[kMaxHeldRequests] = {};
  int heldCount = 0;
  // The text blocks queued to ourselves; a queued request's block is taken only if
  // it is one of these, so no other process can make us use a handle of its choice.
  HGLOBAL queuedTexts[kMaxQueuedRequestTexts] = {};
  bool ending = false;  // the quit message is on its way

  // ---- Command interpreter.
  bool verbose = false;
  bool sendPort = false;
  // The session's transfer settings, set afresh by every open.
  const char* typeName = "ascii";
  const char* formName = "non-print";
  const char* modeName = "stream";
  const char* structName = "file";
  int transferType = 1;  // the type asked for
  int currentType = 1;   // the type the server last accepted
  int formNumber = 1;
  int modeNumber = 1;
  int structNumber = 1;
  int byteSize = 8;
  char byteSizeText[kByteSizeTextSize] = "8";
  bool waitForData = false;   // a transfer command runs: data waits never time out
  int commandLineLength = 0;  // of the line being executed

  // ---- Control connection.
  u_short ftpPort = 0;  // network byte order
  SOCKET controlSocket = INVALID_SOCKET;
  bool connected = false;
  char hostName[kHostNameSize] = {};
  sockaddr_in remoteAddress = {};
  sockaddr_in localControlAddress = {};  // the connected control socket's own end
  int replyCode = 0;                     // -1 after a local usage or connection error
  int replyClass = -1;
  char replyBuffer[kReplyBufferSize] = {};
  int replyCount = 0;
  int replyIndex = 0;
  bool replyEnded = false;  // the peer closed or a receive failed

  // ---- Server type and listing conversion.
  ServerType serverType = ServerType::Unix;
  ListingState listing = {};

  // ---- Data connection and transfers (closing a session closes both sockets too).
  SOCKET listenSocket = INVALID_SOCKET;
  SOCKET dataSocket = INVALID_SOCKET;  // the accepted data connection
  sockaddr_in dataAddress = {};        // the listening socket's own address
  char transferBuffer[kTransferBufferSize] = {};
  char listingLine[kControllerLineSize] = {};  // a line on its way to the controller
  int listingLength = 0;
};

extern SessionState session;
