// The slave's resources: its message texts (socket error texts 170-220, messages
// from 3000), the window class's icon 106 and its version information.
#include "platform/resources.h"
#include "shell/message_ids.h"
#include "shell/slave_window.h"

constexpr VersionNumbers kVersion{{1, 0, 0, 0}, {1, 0, 0, 0}};
PLATFORM_VERSION_INFO(kVersion, "040904E4", {"CompanyName", "Brevant"},
                      {"FileDescription", "Brevant FTP Slave"}, {"FileVersion", "1.0"},
                      {"InternalName", "hopwire"},
                      {"LegalCopyright", "Copyright (C) 2026 Brevant. All rights reserved."},
                      {"ProductName", "Brevant FTP"}, {"ProductVersion", "1.0"});

namespace {

const StringResource kStrings[] = {
    {170, "Interrupted system call"},
    {171, "Bad file number"},
    {172, "Access denied"},
    {173, "Bad address"},
    {174, "Invalid argument"},
    {175, "Too many open files"},
    {176, "Operation would block"},
    {177, "Operation now in progress"},
    {178, "Operation already in progress"},
    {179, "Socket operation on non-socket object"},
    {180, "Destination address required"},
    {181, "Message too long"},
    {182, "Protocol is wrong type for socket"},
    {183, "Bad protocol option"},
    {184, "Protocol not supported"},
    {185, "Socket type not supported"},
    {186, "Operation not suppored on socket"},
    {187, "Protocol family not supported"},
    {188, "Address family not supported"},
    {189, "Address already in use"},
    {190, "Can't assign requested address"},
    {191, "Network is down"},
    {192, "ICMP network unreachable"},
    {193, "Network was reset"},
    {194, "Software caused connection abort"},
    {195, "Connection reset by peer"},
    {196, "No buffer space is supported"},
    {197, "Socket is already connected"},
    {198, "Socket is not connected"},
    {199, "Can't send after socket shutdown"},
    {200, "Too many references"},
    {201, "Connection timed out"},
    {202, "Connection refused"},
    {203, "Too many levels of symbolic links"},
    {204, "Name too long"},
    {205, "Host is down"},
    {206, "Host is unreachable"},
    {207, "Directory not empty"},
    {208, "EPROCLIM returned"},
    {209, "EUSERS returned"},
    {210, "Disk quota exceeded"},
    {211, "ESTALE returned"},
    {212, "The object is remote"},
    {213, "System not ready"},
    {214, "Version is not supported"},
    {215, "Socket is not initialized"},
    {216, "Host not found"},
    {217, "Try again"},
    {218, "Non-recoverable error"},
    {219, "No data record available"},
    {kUnknownSocketErrorText, "Unknown socket error"},

    {kMsgNetworkLoop, "Network loop #%d\n"},
    {kMsgNetworkStartError, "Error %d starting the network.\n"},
    {kMsgNetworkTestDone, "Done with network test.\n"},
    {kMsgInvalidLocalAddress, "500 IP address for local node is invalid (0.0.0.0).\n"},
    {kMsgNoLocalAddress, "500 Unable to get IP address of local node: %s.\n"},
    {kMsgCancellingTransfer, "550 Cancelling file transfer"},
    {kMsgExpectingSize, "Found %s when expecting size string!\n"},
    {kMsgFailed, "failed"},
    {kMsgWinsockInit, "%3d Initialization of Winsock %s\n"},
    {kMsgSucceeded, "succeeded"},
    {kMsgServiceLookupError, "200-getservbyname(ftp/tcp) lookup error\n"},
    {kMsgAssumingPort21, "200 assuming default port 21 for FTP\n"},
};

// A folder with a green arrow going out, on a black ground (the window's brush).
const char* const kSlaveIconRows[] = {
    "................", "................", "..YYYYY.........", ".YOOOOOY........",
    ".YOOOOOOYYYYYY..", ".YOOOOOOOOOOOOY.", ".YOOOOOOOOOGOOY.", ".YOOOOOOOOOGGOY.",
    ".YOGGGGGGGGGGGY.", ".YOOOOOOOOOGGOY.", ".YOOOOOOOOOGOOY.", ".YOOOOOOOOOOOOY.",
    ".YYYYYYYYYYYYYY.", "................", "................", "................",
};
const IconColor kSlaveIconColors[] = {
    {'Y', RGB(128, 96, 0)}, {'O', RGB(255, 208, 64)}, {'G', RGB(0, 160, 0)}};
const IconResource kIcons[] = {
    {MAKEINTRESOURCE(kSlaveIcon), kSlaveIconRows, kSlaveIconColors},
};

}  // namespace

const ResourceTable ProgramResources{kStrings, {}, {}, kIcons};
