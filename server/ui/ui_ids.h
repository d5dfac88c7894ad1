// Resource and control numbers of the operator interface: the menu's commands
// (also the ids of their help lines), string-table texts, dialogs and controls.
#pragma once

// Menu commands.
inline constexpr int IDM_EXIT = 40002;
inline constexpr int IDM_DEBUG = 40003;
inline constexpr int IDM_LOG_TO_FILE = 40006;
inline constexpr int IDM_LOG_FILE_SETUP = 40007;
inline constexpr int IDM_SETUP_SERVER = 40008;
inline constexpr int IDM_SETUP_USERS = 40009;
inline constexpr int IDM_ABOUT = 40011;
inline constexpr int IDM_EXPORTS = 40013;
inline constexpr int IDM_PORTS = 40015;
inline constexpr int IDM_SETUP_GROUPS = 40017;
inline constexpr int IDM_SETUP_EXPORTS = 40018;

// Help lines of the drop-down menus' titles, by position on the menu bar.
inline constexpr int IDS_FILE_MENU = 40001;
inline constexpr int IDS_OPTIONS_MENU = 40004;
inline constexpr int IDS_HELP_MENU = 40010;
inline constexpr int IDS_DISPLAY_MENU = 40012;

// String table.
inline constexpr int IDS_NO_WINDOW_CLASS = 1;
inline constexpr int IDS_ABOUT_CAPTION = 1000;
inline constexpr int IDS_CANNOT_OPEN_LOG = 1041;
inline constexpr int IDS_LOG_CLOSED = 1042;
inline constexpr int IDS_LOG_OPENED = 1043;

// Icons.
inline constexpr int IDI_TOLMID = 1112;

// The main window's lists.
inline constexpr int IDC_EXPORTS_LIST = 1028;
inline constexpr int IDC_HIDDEN_LIST = 1029;
inline constexpr int IDC_PORT_LIST = 1030;

// About box.
inline constexpr int IDD_ABOUT = 1005;
inline constexpr int IDC_ABOUT_PRODUCT = 1006;
inline constexpr int IDC_ABOUT_NOTICE_1 = 1007;
inline constexpr int IDC_ABOUT_NOTICE_2 = 1008;
inline constexpr int IDC_ABOUT_ICON = 1010;

// Log File Setup.
inline constexpr int IDD_LOG_FILE_SETUP = 1141;
inline constexpr int IDC_SESSION_LABEL = 1142;
inline constexpr int IDC_SESSION_NAME = 1143;
inline constexpr int IDC_LOG_FILE_NAME = 1144;
inline constexpr int IDC_APPEND = 1145;
inline constexpr int IDC_TRUNCATE = 1146;
inline constexpr int IDC_BROWSE = 1147;

// Requests announced by the RPC engine.
inline constexpr unsigned kPortMapReady = 2025;
inline constexpr unsigned kMountReady = 2026;
inline constexpr unsigned kNfsReady = 2027;
inline constexpr unsigned kPcnfsReady = 2028;
