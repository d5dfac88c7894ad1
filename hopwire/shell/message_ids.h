// Numbers of the slave's string resources. 170-220 are the socket error texts in
// the order of SocketErrorText's table (220: any other code); 3000-3162 are the
// messages. The shell's own messages sit at 3140-3146 and 3149-3153; the other parts take
// theirs from the rest of the range.
#pragma once

inline constexpr unsigned kFirstSocketErrorText = 170;
inline constexpr unsigned kUnknownSocketErrorText = 220;

inline constexpr unsigned kMsgNetworkLoop = 3140;          // "Network loop #%d\n"
inline constexpr unsigned kMsgNetworkStartError = 3141;    // "Error %d starting the network.\n"
inline constexpr unsigned kMsgNetworkTestDone = 3142;      // "Done with network test.\n"
inline constexpr unsigned kMsgInvalidLocalAddress = 3143;  // "500 IP address for local node..."
inline constexpr unsigned kMsgNoLocalAddress = 3144;       // "500 Unable to get IP address..."
inline constexpr unsigned kMsgCancellingTransfer = 3145;   // "550 Cancelling file transfer"
inline constexpr unsigned kMsgExpectingSize = 3146;        // "Found %s when expecting size..."
inline constexpr unsigned kMsgFailed = 3149;               // "failed"
inline constexpr unsigned kMsgWinsockInit = 3150;          // "%3d Initialization of Winsock %s\n"
inline constexpr unsigned kMsgSucceeded = 3151;            // "succeeded"
inline constexpr unsigned kMsgServiceLookupError = 3152;   // "200-getservbyname(ftp/tcp) ..."
inline constexpr unsigned kMsgAssumingPort21 = 3153;       // "200 assuming default port 21..."
