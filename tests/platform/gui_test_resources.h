// Ids of the resources the windowing tests compile in (gui_test_resources.cc),
// as a program's resource header would give them.
#pragma once

namespace guitest {

// Strings.
inline constexpr unsigned kLongString = 7;
inline constexpr unsigned kHelpOpen = 40101;

// Menu "MainMenu": File (Open, separator, Exit), Options (Log checked, Greyed,
// More > Deep), Help (right-justified; About).
inline constexpr unsigned kIdOpen = 40101;
inline constexpr unsigned kIdExit = 40102;
inline constexpr unsigned kIdLog = 40103;
inline constexpr unsigned kIdGrey = 40104;
inline constexpr unsigned kIdDeep = 40105;
inline constexpr unsigned kIdAbout = 40106;

// Dialog "SETUP".
inline constexpr int kIdName = 1052;      // editable, sorted combo box
inline constexpr int kIdPassword = 1055;  // password edit
inline constexpr int kIdNumber = 1056;    // narrow edit without ES_AUTOHSCROLL
inline constexpr int kIdSize = 1031;      // drop-down list
inline constexpr int kIdGroups = 1001;    // multiple-selection list
inline constexpr int kIdServerOn = 1043;  // automatic check box
inline constexpr int kIdAppend = 1145;    // automatic radio buttons, one group
inline constexpr int kIdTruncate = 1146;
inline constexpr int kIdDisabled = 1070;  // a tab stop created disabled

// Dialog 1005: an icon static (icon 1112) without SS_NOTIFY, a text, OK.
inline constexpr int kAboutDialog = 1005;
inline constexpr int kIdIcon = 1010;
inline constexpr int kIdAboutText = 1006;
inline constexpr unsigned kAppIcon = 1112;

// Dialog 300: no font, no default button: an edit, OK and Cancel push buttons.
inline constexpr int kPlainDialog = 300;
inline constexpr int kIdPlainEdit = 301;

}  // namespace guitest
