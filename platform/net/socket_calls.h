// The socket operations behind the public WinSock calls, in types that both the
// public side and the POSIX side can see. Addresses are WinSock's 16-byte
// sockaddr_in, which has the layout of the POSIX one. Each returns what the
// WinSock call returns and sets WSAGetLastError on failure; none checks start-up.
#pragma once

#include <sys/select.h>

#include "net/ws_constants.h"
#include "platform/windef.h"

namespace plat::net {

ws::Socket OpenSocket(int af, int type, int protocol);
int CloseSocket(ws::Socket s);
int Bind(ws::Socket s, const void* address, int length);
int Listen(ws::Socket s, int backlog);
ws::Socket Accept(ws::Socket s, void* address, int* length);
int Connect(ws::Socket s, const void* address, int length);
int Shutdown(ws::Socket s, int how);
int LocalName(ws::Socket s, void* address, int* length);
int PeerName(ws::Socket s, void* address, int* length);

int Send(ws::Socket s, const char* buffer, int length, int flags, const void* to, int toLength);
int Receive(ws::Socket s, char* buffer, int length, int flags, void* from, int* fromLength);

int SetOption(ws::Socket s, int level, int name, const char* value, int length);
int GetOption(ws::Socket s, int level, int name, char* value, int* length);
int Ioctl(ws::Socket s, long command, unsigned long* argument);

int Select(fd_set* readSet, fd_set* writeSet, fd_set* exceptSet, const timeval* timeout);

int AsyncSelect(ws::Socket s, HWND hwnd, UINT message, long events);
// After recv/recvfrom (ws::kFdRead) or accept (ws::kFdAccept): the next notification may come.
void RearmNotification(int fd, long event);
void StopNotifications(int fd);

}  // namespace plat::net
