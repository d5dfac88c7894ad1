// Setup NFS Server on the headless display: services started and stopped at
// once in the dialog's order, the six keys saved together, the size list, and
// what a failed start leaves running.
#include <gtest/gtest.h>

#include "rpc/service_endpoint.h"
#include "support/setup_fixture.h"
#include "ui/ui_ids.h"

namespace {

using plat::gui::Click;
using plat::gui::PickComboItem;
using plat::gui::ReplaceText;

const char kSections[] =
    "; kept as written\r\n"
    "[TOLmid_user_01]\r\nusername=guest\r\npassword=\r\nuid=500\r\ngid=100\r\nshell=/bin/sh\r\n";

bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

bool Running(ServiceId service) {
  return ServiceEndpoints[service] != nullptr;
}

// GETPORT of the mount program: 0 while it isn't registered.
uint32_t MountPort() {
  testsupport::UdpClient client;
  std::vector<uint32_t> answer = ReplyWords(client.Call(
      111, CallBuilder::Call(7, 100000, 2, 3).Null().Words({100005, 1, 17, 0}).bytes()));
  return answer.size() == 7 ? answer[6] : 1;
}

class ServerSetup : public SetupTest {};

TEST_F(ServerSetup, OkStartsAndStopsServicesAtOnceAndSavesTheSixKeysTogether) {
  StartWith("portmapenabled=ON\r\npreftransfersize=8192\r\nstartminimized=on\r\nunknown=kept",
            kSections);
  std::string before = Ini();
  InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
             EXPECT_FALSE(Checked(dialog, IDC_SERVER_ON));
             EXPECT_TRUE(Checked(dialog, IDC_START_MINIMIZED));
             EXPECT_TRUE(Checked(dialog, IDC_PORTMAP_ON));
             EXPECT_EQ(SendDlgItemMessage(dialog, IDC_TRANSFER_SIZE, CB_GETCURSEL, 0, 0), 3);
             Click(GetDlgItem(dialog, IDC_SERVER_ON));
             Click(GetDlgItem(dialog, IDC_PCNFS_ON));
             Click(GetDlgItem(dialog, IDC_START_MINIMIZED));
             PickComboItem(GetDlgItem(dialog, IDC_TRANSFER_SIZE), 2);
             // The port mapper answers meanwhile, with the live services only.
             EXPECT_EQ(MountPort(), 0u);
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(MountPort(), 1058u);
  EXPECT_TRUE(Running(SERVICE_NFS) && Running(SERVICE_MOUNT) && Running(SERVICE_PCNFSD));
  EXPECT_EQ(Server->settings.prefTransferSize, 4096);
  EXPECT_EQ(Mount("/d/none"), 2);  // the mount daemon answers at once
  EXPECT_EQ(Authenticate("guest", ""), 0);
  std::string saved = Replaced(before, "preftransfersize=8192\r\nstartminimized=on\r\n",
                               "preftransfersize=4096\r\nstartminimized=OFF\r\n");
  // Keys new to the file follow the section's last line.
  std::string stamp = LineOf(before, "timestamp");
  saved =
      Replaced(saved, stamp, stamp + "enabled=ON\r\npcnfsenabled=ON\r\nexportunixstyle=OFF\r\n");
  EXPECT_EQ(Ini(), saved);

  // Off again: the mount daemon stops before the NFS service.
  InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
             Click(GetDlgItem(dialog, IDC_SERVER_ON));
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_FALSE(Running(SERVICE_NFS) || Running(SERVICE_MOUNT));
  EXPECT_TRUE(testsupport::UdpPortFree(2049) && testsupport::UdpPortFree(1058));
  EXPECT_EQ(Ini(), Replaced(saved, "enabled=ON\r\npcnfsenabled", "enabled=OFF\r\npcnfsenabled"));
  std::vector<std::string> lines = LogLines();
  std::vector<std::string> tail(lines.end() - 5, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"PCNFS Daemon started.", "Brevant NFS Server started.",
                                            "Mount Daemon started.", "Mount Daemon stopped.",
                                            "NFS Service stopped."}));
  EXPECT_TRUE(NewBoxes().empty());
}

TEST_F(ServerSetup, CancelChangesNothingAndAnUnofferedSizeBecomes1024OnOk) {
  StartWith("portmapenabled=ON\r\nenabled=ON\r\npreftransfersize=3000", kSections);
  std::string before = Ini();
  InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
             Click(GetDlgItem(dialog, IDC_PORTMAP_ON));
             Click(GetDlgItem(dialog, IDCANCEL));
           }});
  EXPECT_EQ(Ini(), before);
  EXPECT_TRUE(Running(SERVICE_PORTMAP));

  InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
             EXPECT_EQ(SendDlgItemMessage(dialog, IDC_TRANSFER_SIZE, CB_GETCURSEL, 0, 0), CB_ERR);
             // Typed text is no choice.
             ReplaceText(GetDlgItem(dialog, IDC_TRANSFER_SIZE), "8192");
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_EQ(Server->settings.prefTransferSize, 1024);
  EXPECT_NE(Ini().find("preftransfersize=1024\r\n"), std::string::npos);
  EXPECT_TRUE(Running(SERVICE_NFS));
}

// The NFS service and the mount daemon are one switch: when the mount daemon
// can't start, the NFS service that did start is stopped again.
TEST_F(ServerSetup, AFailedStartLeavesItsSwitchOffAndNothingOfItRunning) {
  StartWith("portmapenabled=ON", kSections);
  std::string before = Ini();
  {
    testsupport::UdpClient holder(1058);
    InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
               Click(GetDlgItem(dialog, IDC_SERVER_ON));
               Click(GetDlgItem(dialog, IDOK));
             }});
  }
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Cannot start Brevant NFS Server"}));
  EXPECT_FALSE(Running(SERVICE_NFS) || Running(SERVICE_MOUNT));
  EXPECT_TRUE(testsupport::UdpPortFree(2049));
  EXPECT_EQ(Server->settings.enabled, 0u);
  EXPECT_STREQ(Server->pane1Text, "NFS Service Stopped");
  EXPECT_EQ(LogLines().back(), "NFS Service stopped.");
  // The file keeps the operator's choice.
  std::string stamp = LineOf(before, "timestamp");
  EXPECT_EQ(Ini(),
            Replaced(before, stamp,
                     stamp + "enabled=ON\r\npreftransfersize=1024\r\n"
                             "pcnfsenabled=OFF\r\nstartminimized=OFF\r\nexportunixstyle=OFF\r\n"));

  // Now that the port is free, the same switch starts both.
  InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
             EXPECT_FALSE(Checked(dialog, IDC_SERVER_ON));
             Click(GetDlgItem(dialog, IDC_SERVER_ON));
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_TRUE(Running(SERVICE_NFS) && Running(SERVICE_MOUNT));

  // The port mapper stopped, no other service can start: its switch stays off.
  InDialog(IDM_SETUP_SERVER, {[](HWND dialog) {
             Click(GetDlgItem(dialog, IDC_PORTMAP_ON));
             Click(GetDlgItem(dialog, IDC_PCNFS_ON));
             Click(GetDlgItem(dialog, IDOK));
           }});
  EXPECT_FALSE(Running(SERVICE_PORTMAP) || Running(SERVICE_PCNFSD));
  EXPECT_EQ(Server->settings.pcnfsEnabled, 0u);
  EXPECT_EQ(NewBoxes(), (std::vector<std::string>{"Cannot start Brevant NFS Server"}));
}

}  // namespace
