// One call per read notice: after a record is complete the notice ends, so a
// fast client can't hold the thread, and a connection closed while its call is
// decoded is never touched again. Replies are never queued here: the kernel's
// send buffer (fixed per connection) is the only output buffer there is.
#include "rpc/stream_endpoint.h"

#include <cassert>
#include <cstring>

#include "rpc/endpoint_log.h"
#include "rpc/record_marking.h"
#include "rpc/rpc_programs.h"
#include "rpc/rpc_request.h"

namespace {

// Enough for a few replies in flight; a peer that lets more pile up is dropped.
constexpr int kConnectionSendBuffer = 32 * 1024;
// Reads per notice before the thread goes back to other messages; a record's
// fragments may be split arbitrarily, so one record can take many.
constexpr int kReadsPerNotice = 16;

// A zero-filled slot is free: a connection's serial is never 0.
struct StreamConnection {
  SOCKET socket;
  uint32_t serial;
  sockaddr_in peer;
  DWORD lastCall;  // tick of the accept or of the last completed call
  RecordReader reader;
  ReceiveBuffer* buffer;  // the record being gathered
};

ServiceEndpoint* owner = nullptr;
HWND window = nullptr;
SOCKET listener = INVALID_SOCKET;
StreamConnection connections[kStreamConnections];
uint32_t lastSerial = 0;
bool timerRunning = false;
DWORD idleMs = kStreamIdleMs;
UINT idleCheckMs = kStreamIdleCheckMs;

ServiceEndpoint* Owner() {
  assert(owner && owner->tag == kPortMapEndpointTag);
  return owner;
}

int OpenCount() {
  int count = 0;
  for (const StreamConnection& c : connections)
    count += c.serial != 0;
  return count;
}

void KeepTimerFitting() {
  bool wanted = OpenCount() > 0;
  if (wanted && !timerRunning)
    timerRunning = SetTimer(window, kStreamIdleTimer, idleCheckMs, nullptr);
  if (!wanted && timerRunning) {
    KillTimer(window, kStreamIdleTimer);
    timerRunning = false;
  }
}

void CloseConnection(StreamConnection* c) {
  WSAAsyncSelect(c->socket, nullptr, 0, 0);
  closesocket(c->socket);
  FreeReceiveBuffer(c->buffer);
  memset(c, 0, sizeof *c);
  KeepTimerFitting();
}

StreamConnection* BySocket(SOCKET s) {
  for (StreamConnection& c : connections)
    if (c.serial != 0 && c.socket == s) return &c;
  return nullptr;
}

StreamConnection* BySerial(uint32_t serial) {
  for (StreamConnection& c : connections)
    if (serial != 0 && c.serial == serial) return &c;
  return nullptr;
}

// A free slot, or the one quiet longest, closed to make room: a peer that opens
// connections and sits on them can't lock others out, only push out the quietest.
StreamConnection* SlotForNewConnection() {
  StreamConnection* quietest = nullptr;
  DWORD now = GetTickCount();
  for (StreamConnection& c : connections) {
    if (c.serial == 0) return &c;
    if (!quietest || now - c.lastCall > now - quietest->lastCall) quietest = &c;
  }
  CloseConnection(quietest);
  return quietest;
}

void AcceptConnection() {
  sockaddr_in peer{};
  int peerLength = sizeof peer;
  SOCKET s = accept(listener, (sockaddr*)&peer, &peerLength);
  if (s == INVALID_SOCKET) {
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK)
      ReportEndpointLimited(Owner(), "accept error on Port Mapper TCP socket - %d", error);
    return;
  }
  StreamConnection* c = SlotForNewConnection();
  c->socket = s;
  if (++lastSerial == 0) lastSerial = 1;  // 0 stands for a datagram
  c->serial = lastSerial;
  c->peer = peer;
  c->lastCall = GetTickCount();
  int size = kConnectionSendBuffer;
  setsockopt(s, SOL_SOCKET, SO_SNDBUF, (const char*)&size, sizeof size);
  if (WSAAsyncSelect(s, window, kStreamReadMessage, FD_READ) == SOCKET_ERROR) {
    CloseConnection(c);
    return;
  }
  KeepTimerFitting();
}

void RecordComplete(StreamConnection* c) {
  ReceiveBuffer* buffer = c->buffer;
  c->buffer = nullptr;
  buffer->length = (int16_t)c->reader.length;
  buffer->sender = c->peer;
  buffer->stream = c->serial;
  memset(&c->reader, 0, sizeof c->reader);
  c->lastCall = GetTickCount();
  if (buffer->length == 0) {  // an empty record, like an empty datagram
    FreeReceiveBuffer(buffer);
    return;
  }
  DecodeServiceCall(SERVICE_PORTMAP, Owner(), buffer);
}

void ReadRecords(StreamConnection* c) {
  for (int reads = 0; reads < kReadsPerNotice; ++reads) {
    if (!c->buffer && !(c->buffer = CreateReceiveBuffer())) {
      ReportEndpointLimited(Owner(), "No memory to receive a call over TCP; connection closed.");
      CloseConnection(c);
      return;
    }
    uint8_t* into;
    int count;
    NextRecordSpan(&c->reader, c->buffer->data, &into, &count);
    assert(count > 0);
    int got = recv(c->socket, (char*)into, count, 0);
    if (got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return;
    if (got <= 0) {  // the peer closed or reset its end
      CloseConnection(c);
      return;
    }
    switch (RecordBytesReceived(&c->reader, got, kDatagramSize)) {
      case RECORD_PARTIAL:
        break;
      case RECORD_TOO_LARGE: {
        SenderText sender = FormatSender(&c->peer);
        CloseConnection(c);
        ReportEndpointLimited(Owner(),
                              "Closed the TCP connection from %s: a call of more than %d bytes.",
                              sender.text, kDatagramSize);
        return;
      }
      case RECORD_COMPLETE:
        RecordComplete(c);
        return;
    }
  }
}

void CloseIdleConnections() {
  DWORD now = GetTickCount();
  for (StreamConnection& c : connections)
    if (c.serial != 0 && now - c.lastCall >= idleMs) CloseConnection(&c);
}

}  // namespace

void OpenStreamListener(ServiceEndpoint* endpoint, HWND hiddenWindow) {
  assert(endpoint->tag == kPortMapEndpointTag && listener == INVALID_SOCKET);
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    ReportEndpoint(endpoint, LOG_ERROR,
                   "Can't create Port Mapper TCP socket (%d); it answers over UDP only.",
                   WSAGetLastError());
    return;
  }
  // Connections this side closed linger in TIME_WAIT; a restart must still bind.
  BOOL reuse = TRUE;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, (const char*)&reuse, sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(endpoint->port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(s, (sockaddr*)&address, sizeof address) == SOCKET_ERROR ||
      listen(s, SOMAXCONN) == SOCKET_ERROR ||
      WSAAsyncSelect(s, hiddenWindow, kStreamAcceptMessage, FD_ACCEPT) == SOCKET_ERROR) {
    ReportEndpoint(endpoint, LOG_ERROR,
                   "Can't listen on Port Mapper TCP port %u (%d); it answers over UDP only.",
                   endpoint->port, WSAGetLastError());
    closesocket(s);
    return;
  }
  owner = endpoint;
  window = hiddenWindow;
  listener = s;
  endpoint->streamPort = endpoint->port;
}

void CloseStreamListener() {
  if (listener == INVALID_SOCKET) return;
  for (StreamConnection& c : connections)
    if (c.serial != 0) CloseConnection(&c);
  WSAAsyncSelect(listener, nullptr, 0, 0);
  closesocket(listener);
  listener = INVALID_SOCKET;
  Owner()->streamPort = 0;
  owner = nullptr;
}

BOOL HandleStreamMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kStreamAcceptMessage:
      // A notice left over from a listener closed since is ignored.
      if (listener != INVALID_SOCKET && (SOCKET)wParam == listener &&
          WSAGETSELECTEVENT(lParam) == FD_ACCEPT)
        AcceptConnection();
      return TRUE;
    case kStreamReadMessage:
      // A left-over notice may name a socket number reused since: reading it
      // then finds nothing to read.
      if (StreamConnection* c = BySocket((SOCKET)wParam)) ReadRecords(c);
      return TRUE;
    case WM_TIMER:
      if (wParam != kStreamIdleTimer) return FALSE;
      CloseIdleConnections();
      return TRUE;
  }
  return FALSE;
}

int SendOnStream(uint32_t stream, const char* bytes, int length, int* error) {
  StreamConnection* c = BySerial(stream);
  if (!c) return length;  // the caller has gone, as a datagram's sender may have
  uint8_t record[kRecordMarkSize + kReplyHeaderSize + kDatagramSize];
  if (length < 0 || length > (int)sizeof record - kRecordMarkSize) {
    *error = WSAEMSGSIZE;
    return SOCKET_ERROR;
  }
  WriteRecordMark(record, (uint32_t)length);
  memcpy(record + kRecordMarkSize, bytes, (size_t)length);
  int whole = length + kRecordMarkSize;
  int sent = send(c->socket, (const char*)record, whole, 0);
  if (sent == whole) {
    c->lastCall = GetTickCount();
    return length;
  }
  *error = sent == SOCKET_ERROR ? WSAGetLastError() : WSAEWOULDBLOCK;
  SenderText peer = FormatSender(&c->peer);
  CloseConnection(c);
  if (*error != WSAEWOULDBLOCK) return length;  // reset: the caller has gone after all
  ReportEndpointLimited(Owner(), "Closed the TCP connection from %s: its replies pile up unread.",
                        peer.text);
  return SOCKET_ERROR;
}

void SetStreamIdleLimit(DWORD newIdleMs, UINT newCheckMs) {
  idleMs = newIdleMs;
  idleCheckMs = newCheckMs;
}
