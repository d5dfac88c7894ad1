// The FTP control connection: connecting, sending one command line, reading its
// reply as the server sends it (every line reported as it arrives), closing. One
// connection at a time, in session; every wait is a WinSock blocking call, which
// the controller's cancel interrupts.
#pragma once

#include "platform/winsock.h"
#include "shell/slave_calls.h"  // SendCommand, CloseSession, ServicePortAndOptionDefaults

// Reply classes as RFC 959 numbers them, and 0 when no usable reply came back.
inline constexpr int kReplyNone = 0;
inline constexpr int kReplyPreliminary = 1;
inline constexpr int kReplyComplete = 2;
inline constexpr int kReplyContinue = 3;
inline constexpr int kReplyTransient = 4;
inline constexpr int kReplyError = 5;

// Connects and reads the greeting; session.hostName on success, null on failure
// (with its numbered line). The port is in network order.
const char* ConnectToHost(const char* host, u_short port);

// A formatted text on the control connection, no reply read (Telnet answers, the
// abort sequence): the bytes sent, 0 after a send error, -1 without a connection
// or after a partial send.
int SendRaw(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Reads one reply; its class. expectEnd: QUIT was sent, so the server closing is
// the answer.
int ReadReply(bool expectEnd);
// Drops what was read ahead and not consumed.
void ResetReplyReader();

// Closes the connections without QUIT, when an abort got no answer.
void DropConnection();
// Closes a socket of the session (shut down first with `shut`) and marks it
// none, so nothing later reaches a descriptor that now means something else.
void CloseSocket(SOCKET* s, bool shut = false);

// send and recv on a non-blocking socket, waiting while they would block; the
// count (a send may be partial) or -1 on an error or a cancelled wait.
int SendWithWait(SOCKET s, const char* data, int length);
int ReceiveWithWait(SOCKET s, char* buffer, int length);

inline constexpr long kNoTimeLimit = -1;

// Waits until one of the sockets (INVALID_SOCKET entries are left out) is ready
// to read, or to write with `writable`; bit i of *ready is set for sockets[i].
// 1 ready, 0 timed out, -1 failed or cancelled (WSAGetLastError tells which).
int WaitForSockets(const SOCKET* sockets, int count, bool writable, long timeoutMs,
                   unsigned* ready);
