// Reply messages of RFC 1057 written into the request's reply buffer, and the
// send that ends every answered request. After any of the Send calls the
// request has been released.
#pragma once

#include <cstdint>

#include "rpc/rpc_records.h"

// SUCCESS sends the header and request->resultLength bytes of results;
// PROG_MISMATCH adds the supported range (low, high).
void SendAccepted(RpcRequest* request, AcceptStatus status, uint32_t low, uint32_t high);
// RPC_MISMATCH (supported range 2 to 2) or AUTH_ERROR with `authStatus`.
void SendDenied(RpcRequest* request, RejectStatus kind, AuthStatus authStatus);
void ReplySuccess(RpcRequest* request);
void SendReply(RpcRequest* request);

// Writers of XDR results in network order; each returns the position after
// what it wrote. EncodeString pads with zero bytes to a multiple of four.
uint8_t* EncodeWord(uint8_t* position, uint32_t value);
uint8_t* EncodeString(uint8_t* position, const char* text);
