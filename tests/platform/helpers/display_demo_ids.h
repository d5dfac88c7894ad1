// Ids of display_demo's resources, which the display tests also use.
#pragma once

namespace demo {

// Menu "DemoMenu": File (Setup, Open File, Warning, separator, Exit), Options
// (Log checked, Greyed, More > Deep), Help at the right end (About).
inline constexpr unsigned kIdOpen = 40101;
inline constexpr unsigned kIdFile = 40102;
inline constexpr unsigned kIdWarn = 40103;
inline constexpr unsigned kIdExit = 40104;
inline constexpr unsigned kIdLog = 40105;
inline constexpr unsigned kIdGrey = 40106;
inline constexpr unsigned kIdDeep = 40107;
inline constexpr unsigned kIdAbout = 40108;

// Dialog "SETUP".
inline constexpr int kIdName = 1052;
inline constexpr int kIdPassword = 1055;
inline constexpr int kIdComment = 1056;
inline constexpr int kIdSize = 1031;
inline constexpr int kIdGroups = 1001;
inline constexpr int kIdServerOn = 1043;
inline constexpr int kIdAppend = 1145;
inline constexpr int kIdTruncate = 1146;

// About box.
inline constexpr int kAboutDialog = 1005;
inline constexpr int kIdIcon = 1010;
inline constexpr int kIdAboutText = 1006;
inline constexpr unsigned kAppIcon = 1112;

}  // namespace demo
