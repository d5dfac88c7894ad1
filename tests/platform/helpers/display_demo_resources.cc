// The resources of display_demo: a menu bar (with a right-justified Help menu,
// a check mark, a grey item and a nested pop-up), a dialog with every kind of
// control, an about box with an icon.
#include "tests/platform/helpers/display_demo_ids.h"

#include "platform/resources.h"

using namespace demo;

namespace {

const StringResource kStrings[] = {
    {kIdOpen, "Open the setup dialog"}, {kIdFile, "Choose a file"},
    {kIdWarn, "Show a warning"},        {kIdExit, "Leave the demo"},
    {kIdLog, "Toggle the check mark"},  {kIdDeep, "A nested item"},
    {kIdAbout, "About the demo"},       {kIdGrey, "Never available"},
};

const MenuItemResource kMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, kIdOpen, "&Setup..."},
    {MF_STRING, kIdFile, "Open &File..."},
    {MF_STRING, kIdWarn, "&Warning"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, kIdExit, "E&xit"},
    {MF_POPUP, 0, "&Options"},
    {MF_STRING | MF_CHECKED, kIdLog, "&Log to File"},
    {MF_STRING | MF_GRAYED, kIdGrey, "&Greyed"},
    {MF_POPUP | MF_END, 0, "&More"},
    {MF_STRING | MF_END, kIdDeep, "&Deep"},
    {MF_POPUP | MF_END, 0, "\a&Help"},
    {MF_STRING | MF_END, kIdAbout, "&About Demo"},
};

const MenuResource kMenus[] = {{"DemoMenu", kMenu}};

constexpr DWORD kTab = WS_TABSTOP | WS_VISIBLE;

const DialogItemResource kSetupItems[] = {
    {"Static", "&Name:", -1, SS_LEFT | WS_VISIBLE, 5, 7, 40, 8},
    {"ComboBox", "", kIdName, CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | kTab, 50, 5, 100, 60},
    {"Static", "&Password:", -1, SS_LEFT | WS_VISIBLE, 5, 24, 40, 8},
    {"Edit", "", kIdPassword, ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | kTab, 50, 22, 100, 12},
    {"Static", "&Comment:", -1, SS_LEFT | WS_VISIBLE, 5, 40, 40, 8},
    {"Edit", "", kIdComment, ES_AUTOHSCROLL | WS_BORDER | kTab, 50, 38, 100, 12},
    {"Static", "Si&ze:", -1, SS_LEFT | WS_VISIBLE, 5, 56, 40, 8},
    {"ComboBox", "", kIdSize, CBS_DROPDOWNLIST | WS_VSCROLL | kTab, 50, 54, 60, 60},
    {"Static", "&Groups:", -1, SS_LEFT | WS_VISIBLE, 5, 72, 40, 8},
    {"ListBox", "", kIdGroups,
     LBS_NOTIFY | LBS_MULTIPLESEL | LBS_SORT | WS_VSCROLL | WS_BORDER | kTab, 50, 70, 100, 36},
    {"Button", "Server &On", kIdServerOn, BS_AUTOCHECKBOX | kTab, 5, 112, 60, 10},
    {"Button", "Open Mode", -1, BS_GROUPBOX | WS_VISIBLE, 115, 106, 80, 32},
    {"Button", "&Append", kIdAppend, BS_AUTORADIOBUTTON | WS_GROUP | kTab, 120, 116, 50, 10},
    {"Button", "&Truncate", kIdTruncate, BS_AUTORADIOBUTTON | WS_VISIBLE, 120, 126, 50, 10},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | kTab, 40, 144, 50, 14},
    {"Button", "Cancel", IDCANCEL, BS_PUSHBUTTON | kTab, 100, 144, 50, 14},
};

const DialogItemResource kAboutItems[] = {
    {"Static", MAKEINTRESOURCE(kAppIcon), kIdIcon, SS_ICON | WS_VISIBLE, 10, 10, 20, 20},
    {"Static", "Display Demo 1.0", kIdAboutText, SS_LEFT | WS_VISIBLE, 40, 10, 120, 8},
    {"Static", "A window of every kind, drawn for real.", -1, SS_LEFT | WS_VISIBLE, 40, 22, 120,
     16},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | kTab, 60, 42, 50, 14},
};

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;

const DialogResource kDialogs[] = {
    {"SETUP", kDialogStyle, 20, 20, 200, 164, "Demo Setup", "Sans Serif", 8, kSetupItems},
    {MAKEINTRESOURCE(kAboutDialog), kDialogStyle, 30, 30, 170, 62, "About Demo", "Sans Serif", 8,
     kAboutItems},
};

const char* const kAppIconRows[] = {
    "................................", "..........RRRRRRRRRRRR..........",
    "........RRWWWWWWWWWWWWRR........", "......RRWWWWWWWWWWWWWWWWRR......",
    ".....RWWWWWWWWBBBBWWWWWWWWR.....", "....RWWWWWWWBBBBBBBBWWWWWWWR....",
    "...RWWWWWWWBBBBBBBBBBWWWWWWWR...", "...RWWWWWWBBBBBBBBBBBBWWWWWWR...",
    "..RWWWWWWBBBBBBBBBBBBBBWWWWWWR..", "..RWWWWWWBBBBBBBBBBBBBBWWWWWWR..",
    "..RWWWWWWBBBBBBBBBBBBBBWWWWWWR..", "..RWWWWWWWBBBBBBBBBBBBWWWWWWWR..",
    "..RWWWWWWWWBBBBBBBBBBWWWWWWWWR..", "...RWWWWWWWWWBBBBBBWWWWWWWWWR...",
    "...RWWWWWWWWWWWWWWWWWWWWWWWWR...", "....RWWWWWWWWWWWWWWWWWWWWWWR....",
    ".....RWWWWWWWWWWWWWWWWWWWWR.....", "......RRWWWWWWWWWWWWWWWWRR......",
    "........RRWWWWWWWWWWWWRR........", "..........RRRRRRRRRRRR..........",
};
const IconColor kAppIconColors[] = {
    {'R', RGB(160, 0, 0)}, {'W', RGB(255, 255, 255)}, {'B', RGB(0, 64, 160)}};
const IconResource kIcons[] = {{MAKEINTRESOURCE(kAppIcon), kAppIconRows, kAppIconColors}};

}  // namespace

const ResourceTable ProgramResources{kStrings, kMenus, kDialogs, kIcons};
