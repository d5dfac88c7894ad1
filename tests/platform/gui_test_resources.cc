// The resources of the windowing tests: the test binary is the program.
#include "tests/platform/gui_test_resources.h"

#include "platform/resources.h"

using namespace guitest;

namespace {

const StringResource kStrings[] = {
    {1, "Unable to register main window class"},
    {kLongString, "A string longer than sixteen characters"},
    {kHelpOpen, "Open a file"},
};

const MenuItemResource kMainMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, kIdOpen, "&Open"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, kIdExit, "E&xit"},
    {MF_POPUP, 0, "&Options"},
    {MF_STRING | MF_CHECKED, kIdLog, "Log to &File"},
    {MF_STRING | MF_GRAYED, kIdGrey, "&Greyed"},
    {MF_POPUP | MF_END, 0, "&More"},
    {MF_STRING | MF_END, kIdDeep, "&Deep"},
    {MF_POPUP | MF_END, 0, "\a&Help"},
    {MF_STRING | MF_END, kIdAbout, "&About"},
};

const MenuResource kMenus[] = {{"MainMenu", kMainMenu}};

constexpr DWORD kTab = WS_TABSTOP | WS_VISIBLE;

const DialogItemResource kSetupItems[] = {
    {"Static", "&Name:", -1, SS_LEFT | WS_VISIBLE, 5, 5, 40, 8},
    {"ComboBox", "", kIdName, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | kTab, 50, 5, 100, 60},
    {"Edit", "", kIdPassword, ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | kTab, 50, 20, 100, 12},
    {"Edit", "", kIdNumber, WS_BORDER | kTab, 50, 35, 20, 12},
    {"ComboBox", "", kIdSize, CBS_DROPDOWNLIST | kTab, 50, 50, 60, 60},
    {"ListBox", "", kIdGroups, LBS_NOTIFY | LBS_MULTIPLESEL | LBS_SORT | WS_BORDER | kTab, 50, 65,
     100, 40},
    {"Button", "Server &On", kIdServerOn, BS_AUTOCHECKBOX | kTab, 5, 110, 60, 10},
    {"Button", "&Disabled", kIdDisabled, BS_PUSHBUTTON | WS_DISABLED | kTab, 70, 110, 40, 14},
    {"Button", "Open Mode", -1, BS_GROUPBOX | WS_VISIBLE, 115, 105, 80, 30},
    {"Button", "&Append", kIdAppend, BS_AUTORADIOBUTTON | WS_GROUP | kTab, 120, 113, 50, 10},
    {"Button", "&Truncate", kIdTruncate, BS_AUTORADIOBUTTON | WS_VISIBLE, 120, 123, 50, 10},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | kTab, 40, 135, 50, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 100, 135, 50, 14},
};

const DialogItemResource kAboutItems[] = {
    {"Static", MAKEINTRESOURCE(kAppIcon), kIdIcon, SS_ICON | WS_VISIBLE, 10, 10, 20, 20},
    {"Static", "", kIdAboutText, SS_LEFT | WS_VISIBLE, 40, 10, 120, 8},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | kTab, 60, 40, 50, 14},
};

const DialogItemResource kPlainItems[] = {
    {"Edit", "", kIdPlainEdit, WS_BORDER | ES_AUTOHSCROLL | kTab, 10, 10, 80, 12},
    {"Button", "OK", IDOK, BS_PUSHBUTTON | kTab, 10, 30, 40, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 55, 30, 40, 14},
};

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

const DialogResource kDialogs[] = {
    {"SETUP", kDialogStyle | DS_SETFONT, 20, 20, 200, 155, "Setup", "Sans Serif", 8, kSetupItems},
    {MAKEINTRESOURCE(kAboutDialog), kDialogStyle | DS_SETFONT, 30, 30, 170, 60, "About AppTitle",
     "Sans Serif", 8, kAboutItems},
    {MAKEINTRESOURCE(kPlainDialog), kDialogStyle, 10, 10, 100, 50, "Plain", nullptr, 0,
     kPlainItems},
};

const char* const kAppIconRows[] = {
    "..RR..", ".RWWR.", "RWWWWR", ".RWWR.", "..RR..",
};
const IconColor kAppIconColors[] = {{'R', RGB(200, 0, 0)}, {'W', RGB(255, 255, 255)}};
const IconResource kIcons[] = {{MAKEINTRESOURCE(kAppIcon), kAppIconRows, kAppIconColors}};

}  // namespace

const ResourceTable ProgramResources{kStrings, kMenus, kDialogs, kIcons};
