// The same pattern for all four services; what differs is in one table row each.
#include "shell/service_control.h"

#include "nfs/nfs_call.h"

#include <stdio.h>

#include "portmap/portmap_table.h"
#include "rpc/udp_endpoint.h"
#include "ui/server_log.h"
#include "ui/status_bar.h"
#include "ui/ui_ids.h"

namespace {

void LogWithPrefix(const char* prefix, const char* text) {
  if (!Server) return;
  ServerLog(&Server->log, prefix);
  ServerLog(&Server->log, text);
}
void PortMapperLog(int, const char* text) {
  LogWithPrefix("Port Mapper: ", text);
}
void MountDaemonLog(int, const char* text) {
  LogWithPrefix("Mount Daemon: ", text);
}
void NfsServiceLog(int, const char* text) {
  LogWithPrefix("Brevant NFS Server: ", text);
}
void PcnfsDaemonLog(int, const char* text) {
  LogWithPrefix("PCNFS Daemon: ", text);
}

struct Service {
  ServiceId id;
  UINT readyMessage;
  LogCallback log;
  const char* started;
  const char* failed;
  const char* stopped;
  const char* readyText;
  const char* stoppedText;
};

const Service kPortMapper{SERVICE_PORTMAP,
                          kPortMapReady,
                          PortMapperLog,
                          "Port Mapper started.",
                          "Port Mapper failed to initialize.",
                          "Port Mapper stopped.",
                          "Port Mapper Ready ",
                          "Port Mapper Stopped"};
const Service kMountDaemon{SERVICE_MOUNT,
                           kMountReady,
                           MountDaemonLog,
                           "Mount Daemon started.",
                           "Mount Daemon failed to initialize.",
                           "Mount Daemon stopped.",
                           "Mount Daemon Ready",
                           "Mount Daemon Stopped"};
const Service kNfsService{SERVICE_NFS,
                          kNfsReady,
                          NfsServiceLog,
                          "Brevant NFS Server started.",
                          "NFS Service failed to initialize.",
                          "NFS Service stopped.",
                          "Brevant NFS Server Ready",
                          "NFS Service Stopped"};
const Service kPcnfsDaemon{SERVICE_PCNFSD,
                           kPcnfsReady,
                           PcnfsDaemonLog,
                           "PCNFS Daemon started.",
                           "PCNFS Daemon failed to initialize.",
                           "PCNFS Daemon stopped.",
                           "PCNFS Daemon Ready",
                           "PCNFS Daemon Stopped"};

const Service* const kServices[] = {&kPortMapper, &kMountDaemon, &kNfsService, &kPcnfsDaemon};

BOOL Start(const Service& service, HWND mainWindow, BOOL debug) {
  if (service.id == SERVICE_PORTMAP) ClearPortMapTable();
  EndpointParameters parameters{service.log, mainWindow,       service.readyMessage,
                                debug,       RegisterCallback, Server->settings.prefTransferSize};
  if (OpenServiceEndpoint(service.id, &parameters) != ENDPOINT_OPEN) {
    ServerLog(&Server->log, service.failed);
    MessageBox(mainWindow, "Cannot start Brevant NFS Server", "Brevant NFS Server",
               MB_OK | MB_ICONERROR);
    return FALSE;
  }
  ServerLog(&Server->log, service.started);
  SetStatusText(1, service.readyText, TRUE);
  return TRUE;
}

void Stop(const Service& service) {
  CloseServiceEndpoint(service.id);
  if (!Server) return;
  ServerLog(&Server->log, service.stopped);
  SetStatusText(1, service.stoppedText, TRUE);
}

}  // namespace

BOOL StartPortMapper(HWND mainWindow, BOOL debug) {
  return Start(kPortMapper, mainWindow, debug);
}
BOOL StartNfsService(HWND mainWindow, BOOL debug) {
  return Start(kNfsService, mainWindow, debug);
}
BOOL StartMountDaemon(HWND mainWindow, BOOL debug) {
  return Start(kMountDaemon, mainWindow, debug);
}

BOOL StartPcnfsDaemon(HWND mainWindow, BOOL debug) {
  if (!Start(kPcnfsDaemon, mainWindow, debug)) return FALSE;
  if (gethostname(Server->hostName, sizeof Server->hostName) != 0) {
    ServerLog(&Server->log, "PCNFS Daemon failed to get host name.");
    return FALSE;  // the endpoint stays open
  }
  return TRUE;
}

void StopPortMapper() {
  Stop(kPortMapper);
}
void StopMountDaemon() {
  Stop(kMountDaemon);
}
void StopNfsService() {
  Stop(kNfsService);
  ResetNfsService();
}
void StopPcnfsDaemon() {
  Stop(kPcnfsDaemon);
}

const char* ServiceStateText(int index) {
  constexpr int kCount = sizeof kServices / sizeof kServices[0];
  if (index < 0 || index >= 2 * kCount) return nullptr;
  const Service* service = kServices[index / 2];
  return index % 2 ? service->stoppedText : service->readyText;
}
