// Requests from the controller: WM_COMMAND with 546 in the low word and the request
// code (500-512) in the high word. Each is queued to the slave's own window (low
// word 550) and carried out from its message queue, bracketed by the notices 547
// and 548; only the cancel (512) is carried out at once and without notices.
#pragma once

#include "platform/windef.h"

inline constexpr WORD kSelfRequest = 550;  // low word of a request queued to ourselves

inline constexpr WORD kStartNetworkRequest = 500;
inline constexpr WORD kStopNetworkRequest = 501;
inline constexpr WORD kExitRequest = 502;
inline constexpr WORD kCommandRequest = 503;
inline constexpr WORD kDebugRequest = 506;
inline constexpr WORD kSelfTestRequest = 510;
inline constexpr WORD kListCommandRequest = 511;
inline constexpr WORD kCancelRequest = 512;

// Low word 546: takes the text from "FtpChannel1" where the code has one.
void ReceiveRequest(WORD code, LPARAM lParam);
// Low word 550.
void CarryOutRequest(WORD code, LPARAM lParam);

// Requests and the keep-alive's NOOP mark the session in use with requestDepth;
// when the outermost ends, requests held meanwhile run, or the session ends when
// the slave is ending.
void AfterRequests();
