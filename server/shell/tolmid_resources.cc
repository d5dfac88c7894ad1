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

const DialogResource kDialogs[] = {
    {MAKEINTRESOURCE(IDD_ABOUT), kDialogStyle, 40, 40, 210, 72, "About AppTitle", "MS Sans Serif",
     8, kAboutItems},
    {MAKEINTRESOURCE(IDD_LOG_FILE_SETUP), kDialogStyle, 30, 30, 200, 100, "Log File Setup",
     "MS Sans Serif", 8, kLogFileSetupItems},
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
