// SessionState: the one process-wide record of the FTP slave. Fields are grouped by
// the part of the program that owns them; each group's owner is the only writer,
// the others read. Later parts add their groups here.
#pragma once

#include <cstdint>

#include "platform/windows.h"
#include "platform/winsock.h"

inline constexpr int kChannelSize = 512;           // bytes of each named section
inline constexpr int kMaxChannelText = 511;        // characters a channel holds
inline constexpr int kMaxRequestText = 510;        // characters of a request text kept
inline constexpr int kMaxQueuedRequestTexts = 64;  // text blocks a controller may have queued
inline constexpr int kMaxHeldRequests = 64;

// A listing filter: a line in, its replacement out, or null to leave it as it is.
using ListingFilter = const char* (*)(const char* line);

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
  ListingFilter outputFilter = nullptr;  // applies to data-connection listing lines only
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

  // ---- Control connection.
  u_short ftpPort = 0;  // network byte order
  bool connected = false;
};

extern SessionState session;
