// A misbehaving process on the desktop ($PLATFORM_DESKTOP), written on raw records
// rather than the layer, so it can do what the layer would never let it do:
//   deaf CLASS                 publishes a window of CLASS and never reads its socket
//   silent CLASS               publishes CLASS, reads every record and answers none;
//                              prints "got KIND MESSAGE" for each
//   console-then-deaf CLASS [WINDOW]   answers the first WM_DDE_INITIATE as a console
//                              would (naming WINDOW as the console, else its own), then
//                              never reads again
//   post HWND MESSAGE WPARAM LPARAM [BLOCKHEX]   posts one record (a block: kHasBlock)
//   send HWND MESSAGE WPARAM LPARAM              sends one record; prints the reply
//   flood CLASS COUNT SIZE     pokes COUNT blocks of SIZE bytes at the window of CLASS
//   ask-deaf HWND COUNT        sends COUNT records to HWND and never reads the replies
//   ask-about PID HWND         asks process PID about a window HWND (of a third process):
//                              is it a window, and a sent WM_USER; prints both answers
// Numbers are hexadecimal. It prints "ready" (or what it did), then stays until killed.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ipc/records.h"

using plat::ipc::RecordHeader;

namespace {

constexpr uint32_t kInitiate = 0x03E0;
constexpr uint32_t kAck = 0x03E4;
constexpr uint32_t kPoke = 0x03E7;

std::string desktop;
int fd = -1;
uint64_t serial = 1;

uint64_t OwnWindow() {
  return ((uint64_t)getpid() << 32) | (1u << 16) | 1u;
}

std::string ClassDirectory(const char* className) {
  std::string dir = desktop + "/windows/";
  for (const char* p = className; *p; ++p) {
    char hex[3];
    snprintf(hex, sizeof hex, "%02x", (unsigned)tolower((unsigned char)*p));
    dir += hex;
  }
  return dir;
}

sockaddr_un AddressOf(pid_t pid) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  snprintf(address.sun_path, sizeof address.sun_path, "%s/p%d.sock", desktop.c_str(), (int)pid);
  return address;
}

bool Bind(const char* className) {
  fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un self = AddressOf(getpid());
  unlink(self.sun_path);
  if (fd < 0 || bind(fd, (sockaddr*)&self, sizeof self) != 0) return false;
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
  if (!className) return true;
  mkdir((desktop + "/windows").c_str(), 0700);
  std::string dir = ClassDirectory(className);
  mkdir(dir.c_str(), 0700);
  char name[20];
  snprintf(name, sizeof name, "/%016llx", (unsigned long long)OwnWindow());
  FILE* entry = fopen((dir + name).c_str(), "w");
  if (entry) fclose(entry);
  return entry != nullptr;
}

// The window of className that another process published.
uint64_t FindWindowOf(const char* className) {
  uint64_t found = 0;
  if (DIR* d = opendir(ClassDirectory(className).c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] != '.') found = strtoull(e->d_name, nullptr, 16);
    }
    closedir(d);
  }
  return found;
}

RecordHeader Record(uint16_t kind, uint64_t hwnd, uint32_t message, uint64_t wParam,
                    int64_t lParam) {
  RecordHeader r{};
  r.magic = plat::ipc::kRecordMagic;
  r.version = plat::ipc::kRecordVersion;
  r.kind = kind;
  r.senderPid = (uint32_t)getpid();
  r.serial = serial++;
  r.hwnd = hwnd;
  r.message = message;
  r.wParam = wParam;
  r.lParam = lParam;
  return r;
}

// Blocking: a hostile sender is happy to wait for room.
bool SendTo(uint64_t hwnd, RecordHeader r, const std::vector<unsigned char>& payload = {}) {
  sockaddr_un to = AddressOf((pid_t)(hwnd >> 32));
  r.payloadLength = (uint32_t)payload.size();
  iovec io[2] = {{&r, sizeof r}, {(void*)payload.data(), payload.size()}};
  msghdr m{};
  m.msg_name = &to;
  m.msg_namelen = sizeof to;
  m.msg_iov = io;
  m.msg_iovlen = payload.empty() ? 1 : 2;
  return sendmsg(fd, &m, 0) == (ssize_t)(sizeof r + payload.size());
}

bool Receive(RecordHeader* r, int timeoutMs = -1) {
  static std::vector<unsigned char> buffer(sizeof(RecordHeader) + plat::ipc::kMaxPayload);
  if (timeoutMs >= 0) {
    timeval patience{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  }
  ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
  if (n < (ssize_t)sizeof *r) return false;
  memcpy(r, buffer.data(), sizeof *r);
  return true;
}

void Say(const char* text) {
  printf("%s\n", text);
  fflush(stdout);
}

[[noreturn]] void Stay() {
  for (;;)
    pause();
}

std::vector<unsigned char> Hex(const char* text) {
  std::vector<unsigned char> bytes;
  for (size_t i = 0; text && text[i] && text[i + 1]; i += 2) {
    char pair[3] = {text[i], text[i + 1], 0};
    bytes.push_back((unsigned char)strtoul(pair, nullptr, 16));
  }
  return bytes;
}

void AnswerInitiate(const RecordHeader& initiate, uint64_t console) {
  RecordHeader ack = Record(plat::ipc::kSend, initiate.wParam, kAck, OwnWindow(), (int64_t)console);
  SendTo(initiate.wParam, ack);
  RecordHeader reply = Record(plat::ipc::kReply, 0, 0, 0, 0);
  reply.serial = initiate.serial;
  SendTo((uint64_t)initiate.senderPid << 32, reply);
}

}  // namespace

int main(int argc, char** argv) {
  const char* dir = getenv("PLATFORM_DESKTOP");
  if (!dir || argc < 3) return 2;
  desktop = dir;
  std::string mode = argv[1];
  if (mode == "deaf" || mode == "silent" || mode == "console-then-deaf") {
    if (!Bind(argv[2])) return 3;
    Say("ready");
    RecordHeader r;
    while (mode != "deaf" && Receive(&r)) {
      if (mode == "silent") {
        printf("got %u %x\n", r.kind, r.message);
        fflush(stdout);
      }
      if (mode == "console-then-deaf" && r.kind == plat::ipc::kSend && r.message == kInitiate) {
        AnswerInitiate(r, argc > 3 ? strtoull(argv[3], nullptr, 16) : OwnWindow());
        Say("answered");
        break;
      }
    }
    Stay();
  }
  if (!Bind(nullptr)) return 3;
  if ((mode == "post" || mode == "send") && argc >= 6) {
    uint64_t hwnd = strtoull(argv[2], nullptr, 16);
    uint16_t kind = mode == "post" ? plat::ipc::kPost : plat::ipc::kSend;
    RecordHeader r =
        Record(kind, hwnd, (uint32_t)strtoul(argv[3], nullptr, 16), strtoull(argv[4], nullptr, 16),
               (int64_t)strtoull(argv[5], nullptr, 16));
    std::vector<unsigned char> block = Hex(argc > 6 ? argv[6] : nullptr);
    if (argc > 6) {
      r.flags = plat::ipc::kHasBlock;
      r.blockHandle = 1;
    }
    if (!SendTo(hwnd, r, block)) return 4;
    if (kind == plat::ipc::kSend) {
      RecordHeader reply;
      bool answered = false;
      while (!answered && Receive(&reply, 3000))
        answered = reply.kind == plat::ipc::kReply && reply.serial == r.serial;
      printf(answered ? "reply %llx\n" : "no reply\n", (unsigned long long)reply.lParam);
    } else {
      printf("posted\n");
    }
    fflush(stdout);
    Stay();
  }
  if (mode == "flood" && argc >= 5) {
    uint64_t target = FindWindowOf(argv[2]);
    int count = atoi(argv[3]);
    std::vector<unsigned char> block((size_t)atoi(argv[4]), 'x');
    if (!target || block.size() < 4) return 4;
    block[0] = 0x00;
    block[1] = 0x20;  // the release flag: the receiver would free it
    block[2] = 1;
    block[3] = 0;
    for (int i = 0; i < count; ++i) {
      RecordHeader r = Record(plat::ipc::kPost, target, kPoke, OwnWindow(), 1);
      r.flags = plat::ipc::kHasBlock;
      r.blockHandle = 1;
      if (!SendTo(target, r, block)) return 5;
    }
    Say("flooded");
    Stay();
  }
  if (mode == "ask-about" && argc >= 4) {
    uint64_t to = strtoull(argv[2], nullptr, 16) << 32;
    uint64_t hwnd = strtoull(argv[3], nullptr, 16);
    std::string answers;
    for (uint16_t kind : {plat::ipc::kQuery, plat::ipc::kSend}) {
      RecordHeader r = Record(kind, hwnd, 0x0400, 0, 0);
      SendTo(to, r);
      RecordHeader reply;
      bool answered = false;
      while (!answered && Receive(&reply, 3000))
        answered = reply.kind == plat::ipc::kReply && reply.serial == r.serial;
      answers += answered ? " " + std::to_string(reply.lParam) : " none";
    }
    printf("answers%s\n", answers.c_str());
    fflush(stdout);
    Stay();
  }
  if (mode == "ask-deaf" && argc >= 4) {
    uint64_t hwnd = strtoull(argv[2], nullptr, 16);
    int count = atoi(argv[3]);
    for (int i = 0; i < count; ++i)
      SendTo(hwnd, Record(plat::ipc::kSend, hwnd, 0x0400, (uint64_t)i, 0));
    Say("asked");
    Stay();
  }
  return 2;
}
