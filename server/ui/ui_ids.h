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
// Support values from ABOUT.INI: title, company, phone, fax, e-mail.
inline constexpr int IDC_ABOUT_SUPPORT_FIRST = 1015;
inline constexpr int IDC_ABOUT_SUPPORT_LAST = 1019;

// Log File Setup.
inline constexpr int IDD_LOG_FILE_SETUP = 1141;
inline constexpr int IDC_SESSION_LABEL = 1142;
inline constexpr int IDC_SESSION_NAME = 1143;
inline constexpr int IDC_LOG_FILE_NAME = 1144;
inline constexpr int IDC_APPEND = 1145;
inline constexpr int IDC_TRUNCATE = 1146;
inline constexpr int IDC_BROWSE = 1147;

// Setup NFS Server.
inline constexpr int IDD_SERVER_SETUP = 1041;
inline constexpr int IDC_SERVER_ON = 1043;
inline constexpr int IDC_START_MINIMIZED = 1044;
inline constexpr int IDC_EXPORT_UNIX_STYLE = 1033;
inline constexpr int IDC_TRANSFER_SIZE = 1031;
inline constexpr int IDC_PCNFS_ON = 1005;
inline constexpr int IDC_PORTMAP_ON = 1006;

// Setup User.
inline constexpr int IDD_USER_SETUP = 1051;
inline constexpr int IDC_USER_NAME = 1052;
inline constexpr int IDC_USER_PASSWORD = 1055;
inline constexpr int IDC_USER_UID = 1056;
inline constexpr int IDC_USER_UNIQUE_ID = 1068;
inline constexpr int IDC_USER_GROUP = 1000;
inline constexpr int IDC_USER_SECONDARY = 1001;
inline constexpr int IDC_USER_CHANGE = 1027;
inline constexpr int IDC_USER_ACCEPT = 1028;
inline constexpr int IDC_USER_REMOVE = 1071;

// Setup User Groups.
inline constexpr int IDD_GROUP_SETUP = 103;
inline constexpr int IDC_GROUP_NAME = 1020;
inline constexpr int IDC_GROUP_GID = 1022;
inline constexpr int IDC_GROUP_UNIQUE_ID = 1023;
inline constexpr int IDC_GROUP_REMOVE = 1024;

// Setup Export Directories: the directory, the owner, the nine permission
// boxes from the owner's read (0400) down to the others' execute (0001).
inline constexpr int IDD_EXPORT_SETUP = 102;
inline constexpr int IDC_EXPORT_DIRECTORY = 1008;
inline constexpr int IDC_EXPORT_OWNER = 1009;
inline constexpr int IDC_EXPORT_OWNER_READ = 1010;
inline constexpr int IDC_EXPORT_OTHER_EXECUTE = 1018;
inline constexpr int IDC_EXPORT_REMOVE = 1020;

// Requests announced by the RPC engine.
inline constexpr unsigned kPortMapReady = 2025;
inline constexpr unsigned kMountReady = 2026;
inline constexpr unsigned kNfsReady = 2027;
inline constexpr unsigned kPcnfsReady = 2028;
