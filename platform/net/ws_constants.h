// WinSock's numbers for the files of the layer that include the POSIX socket
// headers and so cannot see platform/winsock.h (both define SOL_SOCKET, MSG_OOB,
// ...). net_errors.cc checks at compile time that these equal the public ones.
#pragma once

#include <cstdint>

namespace plat::net::ws {

using Socket = uintptr_t;
inline constexpr Socket kInvalidSocket = ~(Socket)0;
inline constexpr int kSocketError = -1;

inline constexpr int kAfInet = 2;
inline constexpr int kSockStream = 1;
inline constexpr int kSockDgram = 2;
inline constexpr int kIpProtoTcp = 6;
inline constexpr int kIpProtoUdp = 17;

// WinSock codes with no errno counterpart; everything else is reported as an
// errno value and mapped (see net_errors.h).
inline constexpr int kNotInitialised = 10093;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTryAgain = 11002;
inline constexpr int kNoRecovery = 11003;
inline constexpr int kNoData = 11004;

inline constexpr int kSolSocket = 0xffff;
inline constexpr int kSoAcceptConn = 0x0002;
inline constexpr int kSoReuseAddr = 0x0004;
inline constexpr int kSoKeepAlive = 0x0008;
inline constexpr int kSoDontRoute = 0x0010;
inline constexpr int kSoBroadcast = 0x0020;
inline constexpr int kSoLinger = 0x0080;
inline constexpr int kSoOobInline = 0x0100;
inline constexpr int kSoDontLinger = (int)~0x0080u;
inline constexpr int kSoSndBuf = 0x1001;
inline constexpr int kSoRcvBuf = 0x1002;
inline constexpr int kSoError = 0x1007;
inline constexpr int kSoType = 0x1008;
inline constexpr int kTcpNoDelay = 0x0001;

struct Linger {
  uint16_t onoff;
  uint16_t seconds;
};

inline constexpr int kMsgOob = 0x1;
inline constexpr int kMsgPeek = 0x2;
inline constexpr int kMsgDontRoute = 0x4;

inline constexpr long kFionbio = (long)0x8004667EU;
inline constexpr long kFionread = (long)0x4004667FU;

inline constexpr long kFdRead = 0x01;
inline constexpr long kFdAccept = 0x08;
inline constexpr long kFdClose = 0x20;

}  // namespace plat::net::ws
