// The server's resources: string table, the menu "tolmid", its dialogs, its icon
// and its version information (kept in the program file itself).
#include "platform/resources.h"
#include "ui/ui_ids.h"

constexpr VersionNumbers kVersion{{2, 1, 0, 0}, {2, 1, 0, 0}};
PLATFORM_VERSION_INFO(kVersion, "040904E4", {"CompanyName", "Brevant"},
                      {"FileDescription", "Brevant NFS Server"}, {"FileVersion", "2.1"},
                      {"LegalCopyright", "Copyright (C) 2026 Brevant. All rights reserved."},
                      {"ProductName", "Brevant NFS Server"}, {"ProductVersion", "2.1"});

namespace {

const StringResource kStrings[] = {
    {IDS_NO_WINDOW_CLASS, "Unable to register main window class"},
    {IDS_ABOUT_CAPTION, "About %s"},
    {IDS_CANNOT_OPEN_LOG, "Cannot open log file %s\r"},
    {IDS_LOG_CLOSED, "Log file %s closed\r"},
    {IDS_LOG_OPENED, "Log file %s opened\r"},
    {IDS_FILE_MENU, "File Menu"},
    {IDM_EXIT, "Exit Brevant NFS Server"},
    {IDM_DEBUG, "Debug NFS Server"},
    {IDS_OPTIONS_MENU, "Options Menu"},
    {IDM_LOG_TO_FILE, "Enable/Disable logging of Brevant NFS Server to a logfile"},
    {IDM_LOG_FILE_SETUP, "Specify the name of the logfile"},
    {IDM_SETUP_SERVER, "Configure the Brevant NFS Server"},
    {IDM_SETUP_USERS, "Define and configure users"},
    {IDS_HELP_MENU, "Get help about the Brevant NFS Server"},
    {IDM_ABOUT, "Get product information"},
    {IDS_DISPLAY_MENU, "Display Menu"},
    {IDM_EXPORTS, "Set display to show exported directories"},
    {IDM_PORTS, "Set display to show all ports registered with the port mapper"},
    {IDM_SETUP_GROUPS, "Define user groups"},
    {IDM_SETUP_EXPORTS, "Define and configure exported directories"},
};

const MenuItemResource kMainMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING | MF_END, IDM_EXIT, "E&xit"},
    {MF_POPUP, 0, "&Display"},
    {MF_STRING, IDM_EXPORTS, "&Exports"},
    {MF_STRING | MF_END, IDM_PORTS, "&Ports"},
    {MF_POPUP, 0, "&Options"},
    {MF_STRING, IDM_LOG_TO_FILE, "Log to &File"},
    {MF_STRING, IDM_LOG_FILE_SETUP, "&Log File Setup"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, IDM_SETUP_SERVER, "Setup &Server"},
    {MF_STRING, IDM_SETUP_USERS, "Setup &Users"},
    {MF_STRING, IDM_SETUP_GROUPS, "Setup &Groups"},
    {MF_STRING | MF_END, IDM_SETUP_EXPORTS, "Setup &Exports"},
    {MF_POPUP | MF_END, 0, "\a&Help"},
    {MF_STRING | MF_END, IDM_ABOUT, "&About NFS Server"},
};

const MenuResource kMenus[] = {{"tolmid", kMainMenu}};

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kTab = WS_VISIBLE | WS_TABSTOP;

const DialogItemResource kAboutItems[] = {
    {"Static", MAKEINTRESOURCE(IDI_TOLMID), IDC_ABOUT_ICON, SS_ICON | WS_VISIBLE, 10, 10, 20, 20},
    {"Static", "", IDC_ABOUT_PRODUCT, SS_LEFT | WS_VISIBLE, 40, 10, 160, 8},
    {"Static", "", IDC_ABOUT_NOTICE_1, SS_LEFT | WS_VISIBLE, 40, 24, 160, 8},
    {"Static", "", IDC_ABOUT_NOTICE_2, SS_LEFT | WS_VISIBLE, 40, 34, 160, 8},
    {"Static", "", IDC_ABOUT_SUPPORT_FIRST, SS_LEFT, 40, 46, 160, 8},
    {"Static", "", IDC_ABOUT_SUPPORT_FIRST + 1, SS_LEFT, 40, 56, 160, 8},
    {"Static", "", IDC_ABOUT_SUPPORT_FIRST + 2, SS_LEFT, 40, 66, 160, 8},
    {"Static", "", IDC_ABOUT_SUPPORT_FIRST + 3, SS_LEFT, 40, 76, 160, 8},
    {"Static", "", IDC_ABOUT_SUPPORT_LAST, SS_LEFT, 40, 86, 160, 8},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | kTab, 85, 52, 40, 14},
};

const DialogItemResource kLogFileSetupItems[] = {
    {"Static", "&Session Name:", IDC_SESSION_LABEL, SS_LEFT | WS_VISIBLE, 8, 8, 60, 8},
    {"ComboBox", "", IDC_SESSION_NAME, CBS_DROPDOWNLIST | WS_VSCROLL | kTab, 70, 6, 120, 60},
    {"Static", "&File Name:", -1, SS_LEFT | WS_VISIBLE, 8, 26, 60, 8},
    {"Edit", "", IDC_LOG_FILE_NAME, ES_AUTOHSCROLL | WS_BORDER | kTab, 70, 24, 120, 12},
    {"Button", "Open Mode", -1, BS_GROUPBOX | WS_VISIBLE, 8, 42, 110, 36},
    {"Button", "&Append", IDC_APPEND, BS_AUTORADIOBUTTON | WS_GROUP | kTab, 16, 52, 60, 10},
    {"Button", "&Truncate", IDC_TRUNCATE, BS_AUTORADIOBUTTON | WS_VISIBLE, 16, 64, 60, 10},
    {"Button", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | kTab, 130, 44, 60, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 130, 62, 60, 14},
    {"Button", "F&iles...", IDC_BROWSE, BS_PUSHBUTTON | kTab, 130, 80, 60, 14},
};

constexpr DWORD kCheck = BS_AUTOCHECKBOX | kTab;
constexpr DWORD kKeyCombo = CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | kTab;
constexpr DWORD kField = ES_AUTOHSCROLL | WS_BORDER | kTab;

const DialogItemResource kServerSetupItems[] = {
    {"Button", "Server &On", IDC_SERVER_ON, kCheck, 10, 8, 110, 10},
    {"Button", "Start &Minimized", IDC_START_MINIMIZED, kCheck, 10, 22, 110, 10},
    {"Button", "Export Mounts in Unix Style", IDC_EXPORT_UNIX_STYLE, kCheck, 10, 36, 120, 10},
    {"Button", "&PCNFS Daemon On", IDC_PCNFS_ON, kCheck, 10, 50, 110, 10},
    {"Button", "Port &Mapping Daemon On", IDC_PORTMAP_ON, kCheck, 10, 64, 110, 10},
    {"Static", "Preferred Transfer Size", -1, SS_LEFT | WS_VISIBLE, 10, 84, 84, 8},
    {"ComboBox", "", IDC_TRANSFER_SIZE, CBS_DROPDOWN | WS_VSCROLL | kTab, 96, 82, 44, 60},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | kTab, 150, 8, 50, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 150, 26, 50, 14},
};

const DialogItemResource kUserSetupItems[] = {
    {"Static", "&User Name:", -1, SS_LEFT | WS_VISIBLE, 8, 10, 50, 8},
    {"ComboBox", "", IDC_USER_NAME, kKeyCombo, 60, 8, 116, 80},
    {"Static", "&Password:", -1, SS_LEFT | WS_VISIBLE, 8, 28, 50, 8},
    {"Edit", "", IDC_USER_PASSWORD, ES_PASSWORD | kField, 60, 26, 116, 12},
    {"Static", "&UID", -1, SS_LEFT | WS_VISIBLE, 8, 46, 50, 8},
    {"Edit", "", IDC_USER_UID, kField, 60, 44, 50, 12},
    {"Button", "Create &Unique ID", IDC_USER_UNIQUE_ID, BS_PUSHBUTTON | kTab, 114, 43, 62, 14},
    {"Static", "Group", -1, SS_LEFT | WS_VISIBLE, 8, 64, 50, 8},
    {"ComboBox", "", IDC_USER_GROUP, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | kTab, 60, 62, 116,
     80},
    {"Static", "Secondary Groups", -1, SS_LEFT | WS_VISIBLE, 8, 82, 60, 8},
    {"ListBox", "", IDC_USER_SECONDARY,
     LBS_MULTIPLESEL | LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | kTab, 8, 92, 168, 52},
    {"Button", "&Change", IDC_USER_CHANGE, BS_PUSHBUTTON | kTab, 184, 92, 50, 14},
    {"Button", "&Accept", IDC_USER_ACCEPT, BS_PUSHBUTTON | kTab, 184, 110, 50, 14},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | kTab, 184, 8, 50, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 184, 26, 50, 14},
    {"Button", "Re&move", IDC_USER_REMOVE, BS_PUSHBUTTON | kTab, 184, 44, 50, 14},
};

const DialogItemResource kGroupSetupItems[] = {
    {"Static", "Group Name:", -1, SS_LEFT | WS_VISIBLE, 8, 10, 50, 8},
    {"ComboBox", "", IDC_GROUP_NAME, kKeyCombo, 60, 8, 116, 80},
    {"Static", "Group ID:", -1, SS_LEFT | WS_VISIBLE, 8, 28, 50, 8},
    {"Edit", "", IDC_GROUP_GID, kField, 60, 26, 50, 12},
    {"Button", "Create Unique ID", IDC_GROUP_UNIQUE_ID, BS_PUSHBUTTON | kTab, 114, 25, 62, 14},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | kTab, 184, 8, 50, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 184, 26, 50, 14},
    {"Button", "Remove", IDC_GROUP_REMOVE, BS_PUSHBUTTON | kTab, 184, 44, 50, 14},
};

constexpr DWORD kGroupBox = BS_GROUPBOX | WS_VISIBLE;
const DialogItemResource kExportSetupItems[] = {
    {"Static", "Directory:", -1, SS_LEFT | WS_VISIBLE, 8, 10, 40, 8},
    {"ComboBox", "", IDC_EXPORT_DIRECTORY, kKeyCombo, 50, 8, 150, 80},
    {"Static", "Owner:", -1, SS_LEFT | WS_VISIBLE, 8, 28, 40, 8},
    {"ComboBox", "", IDC_EXPORT_OWNER, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | kTab, 50, 26, 100,
     80},
    {"Button", "Permissions", -1, kGroupBox, 8, 44, 192, 60},
    {"Button", "Owner", -1, kGroupBox, 14, 54, 58, 44},
    {"Button", "Read", IDC_EXPORT_OWNER_READ, kCheck | WS_GROUP, 20, 64, 48, 10},
    {"Button", "Write", IDC_EXPORT_OWNER_READ + 1, kCheck, 20, 74, 48, 10},
    {"Button", "Execute", IDC_EXPORT_OWNER_READ + 2, kCheck, 20, 84, 48, 10},
    {"Button", "Group", -1, kGroupBox, 76, 54, 58, 44},
    {"Button", "Read", IDC_EXPORT_OWNER_READ + 3, kCheck, 82, 64, 48, 10},
    {"Button", "Write", IDC_EXPORT_OWNER_READ + 4, kCheck, 82, 74, 48, 10},
    {"Button", "Execute", IDC_EXPORT_OWNER_READ + 5, kCheck, 82, 84, 48, 10},
    {"Button", "Other", -1, kGroupBox, 138, 54, 58, 44},
    {"Button", "Read", IDC_EXPORT_OWNER_READ + 6, kCheck, 144, 64, 48, 10},
    {"Button", "Write", IDC_EXPORT_OWNER_READ + 7, kCheck, 144, 74, 48, 10},
    {"Button", "Execute", IDC_EXPORT_OTHER_EXECUTE, kCheck, 144, 84, 48, 10},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | kTab, 208, 8, 50, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 208, 26, 50, 14},
    {"Button", "&Remove", IDC_EXPORT_REMOVE, BS_PUSHBUTTON | kTab, 208, 44, 50, 14},
};

const DialogResource kDialogs[] = {
    {MAKEINTRESOURCE(IDD_ABOUT), kDialogStyle, 40, 40, 210, 72, "About AppTitle", "MS Sans Serif",
     8, kAboutItems},
    {MAKEINTRESOURCE(IDD_LOG_FILE_SETUP), kDialogStyle, 30, 30, 200, 100, "Log File Setup",
     "MS Sans Serif", 8, kLogFileSetupItems},
    {MAKEINTRESOURCE(IDD_SERVER_SETUP), kDialogStyle, 30, 30, 208, 100, "Setup NFS Server",
     "MS Sans Serif", 8, kServerSetupItems},
    {MAKEINTRESOURCE(IDD_USER_SETUP), kDialogStyle, 30, 30, 242, 152, "Setup User", "MS Sans Serif",
     8, kUserSetupItems},
    {MAKEINTRESOURCE(IDD_GROUP_SETUP), kDialogStyle, 30, 30, 242, 66, "Setup User Groups",
     "MS Sans Serif", 8, kGroupSetupItems},
    {MAKEINTRESOURCE(IDD_EXPORT_SETUP), kDialogStyle, 30, 30, 266, 112, "Setup Export Directories",
     "MS Sans Serif", 8, kExportSetupItems},
};

// A server cabinet with a green light, on a transparent ground.
const char* const kServerIconRows[] = {
    "................", "...KKKKKKKKKK...", "...KSSSSSSSSK...", "...KSWWWWWWSK...",
    "...KSSSSSSSSK...", "...KSWWWWWWSK...", "...KSSSSSSSSK...", "...KSWWWWWWSK...",
    "...KSSSSSSSSK...", "...KSSSSSSGSK...", "...KSSSSSSSSK...", "...KKKKKKKKKK...",
    "....KK....KK....", "..KKKKKKKKKKKK..", "..KBBBBBBBBBBK..", "..KKKKKKKKKKKK..",
};
const IconColor kServerIconColors[] = {{'K', RGB(0, 0, 0)},
                                       {'S', RGB(192, 192, 192)},
                                       {'W', RGB(255, 255, 255)},
                                       {'G', RGB(0, 160, 0)},
                                       {'B', RGB(0, 0, 128)}};
const IconResource kIcons[] = {
    {MAKEINTRESOURCE(IDI_TOLMID), kServerIconRows, kServerIconColors},
};

}  // namespace

const ResourceTable ProgramResources{kStrings, kMenus, kDialogs, kIcons};
