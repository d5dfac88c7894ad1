// The dialog edits a copy of the switches. On OK a service whose start fails
// leaves its live switch off, while the file keeps what the operator chose.
#include "ui/server_setup.h"

#include <stdio.h>

#include "rpc/udp_endpoint.h"
#include "shell/service_control.h"
#include "ui/setup_dialog.h"
#include "ui/setup_support.h"
#include "ui/ui_ids.h"

namespace {

constexpr int kSizeCount = 4;  // 1024, 2048, 4096, 8192
constexpr uint16_t kSmallestSize = 1024;

struct SwitchBox {
  int id;
  uint32_t ServerSettings::*field;
};
constexpr SwitchBox kSwitches[] = {
    {IDC_SERVER_ON, &ServerSettings::enabled},
    {IDC_START_MINIMIZED, &ServerSettings::startMinimized},
    {IDC_EXPORT_UNIX_STYLE, &ServerSettings::exportUnixStyle},
    {IDC_PCNFS_ON, &ServerSettings::pcnfsEnabled},
    {IDC_PORTMAP_ON, &ServerSettings::portMapEnabled},
};

void ShowCopy(HWND dialog, ServerRecord* server) {
  const ServerSettings* copy = &server->settingsCopy;
  for (const SwitchBox& box : kSwitches)
    CheckDlgButton(dialog, box.id, copy->*box.field ? BST_CHECKED : BST_UNCHECKED);
  HWND sizes = GetDlgItem(dialog, IDC_TRANSFER_SIZE);
  SendMessage(sizes, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kSizeCount; ++i) {
    char text[8];
    snprintf(text, sizeof text, "%d", kSmallestSize << i);
    SendMessage(sizes, CB_ADDSTRING, 0, (LPARAM)text);
    if ((kSmallestSize << i) == copy->prefTransferSize) SendMessage(sizes, CB_SETCURSEL, i, 0);
  }
}

// Only the keys of this dialog reach the live block; the rest of it may have
// moved on since the copy was taken.
void TakeSwitches(ServerSettings* live, const ServerSettings* copy) {
  for (const SwitchBox& box : kSwitches)
    live->*box.field = copy->*box.field;
  live->prefTransferSize = copy->prefTransferSize;
}

void ApplyServices(HWND dialog, ServerRecord* server, const ServerSettings* before) {
  ServerSettings* live = &server->settings;
  HWND main = server->mainWindow;
  BOOL debug = live->debugMode;
  if (live->portMapEnabled != before->portMapEnabled) {
    if (!live->portMapEnabled) {
      StopPortMapper();
    } else if (!StartPortMapper(main, debug)) {
      live->portMapEnabled = 0;
    }
  }
  if (live->pcnfsEnabled != before->pcnfsEnabled) {
    if (!live->pcnfsEnabled) {
      StopPcnfsDaemon();
    } else if (!StartPcnfsDaemon(main, debug)) {
      live->pcnfsEnabled = 0;
    }
  }
  if (live->enabled != before->enabled) {
    if (!live->enabled) {
      StopMountDaemon();
      StopNfsService();
    } else if (!StartNfsService(main, debug)) {
      live->enabled = 0;
    } else if (!StartMountDaemon(main, debug)) {
      // One switch for both: an NFS service left running without its mount
      // daemon would answer while the switch says off.
      StopNfsService();
      live->enabled = 0;
    }
  } else if (live->enabled && live->prefTransferSize != before->prefTransferSize) {
    if (SetPreferredTransferSize(live->prefTransferSize) != 0) {
      SetupMessage(dialog, "Error setting Preferred Transfer Size to %u, retaining size of %u",
                   live->prefTransferSize, before->prefTransferSize);
      live->prefTransferSize = before->prefTransferSize;
    }
  }
}

void Confirm(HWND dialog, ServerRecord* server) {
  ServerSettings* copy = &server->settingsCopy;
  for (const SwitchBox& box : kSwitches)
    copy->*box.field = IsDlgButtonChecked(dialog, box.id) == BST_CHECKED;
  // Typed text counts for nothing; only a chosen entry does.
  LRESULT chosen = SendDlgItemMessage(dialog, IDC_TRANSFER_SIZE, CB_GETCURSEL, 0, 0);
  int shift = chosen >= 0 && chosen < kSizeCount ? (int)chosen : 0;
  copy->prefTransferSize = (uint16_t)(kSmallestSize << shift);
  ServerSettings before = server->settings;
  TakeSwitches(&server->settings, copy);
  ApplyServices(dialog, server, &before);
  SaveSetting(server->settingsFile, copy, SETTING_SERVER_DIALOG);
  EndDialog(dialog, IDOK);
}

constexpr SetupDialog kServerSetup = {IDD_SERVER_SETUP, nullptr, ShowCopy, Confirm, nullptr};

}  // namespace

void ShowServerSetup(ServerRecord* server) {
  server->settingsCopy = server->settings;
  RunSetupDialog(server, &kServerSetup);
}
