// libFuzzer target: sequences of mount and NFS calls against a scratch export,
// with handles the server gave mixed with mutated ones, hostile names, and
// random offsets, counts and data. After every input nothing outside the
// export may have changed, and no reply may carry the bytes of the file kept
// beside it; the engine's checks (ASan, the leak check) do the rest.
#include <dirent.h>
#include <ftw.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/export_table.h"
#include "config/server_settings.h"
#include "config/user_table.h"
#include "nfs/handle_table.h"
#include "rpc/rpc_programs.h"
#include "rpc/rpc_request.h"
#include "support/bounded_datagram.h"
#include "support/call_builder.h"
#include "support/recording_transport.h"

namespace {

const char kSecret[] = "OUTSIDE-SECRET-5c1e";
std::string base;
ServerSettings settings;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// What lies outside the export: the names beside it on the drive, and the
// outside directory's names, sizes and modes and the secret's bytes.
std::string Outside() {
  std::string state;
  for (const std::string& dir : {base, base + "/outside"}) {
    DIR* listing = opendir(dir.c_str());
    while (dirent* entry = readdir(listing)) {
      std::string name = entry->d_name;
      if (name == "nfsfile.hsh") continue;
      struct stat st;
      lstat((dir + "/" + name).c_str(), &st);
      state +=
          name +
          (dir == base ? "" : " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mode)) +
          "\n";
    }
    closedir(listing);
  }
  return state + Slurp(base + "/outside/secret");
}

std::string outsideBefore;

void Touch(int, const char*) {}

void RemoveBase() {
  nftw(
      base.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); },
      16, FTW_DEPTH | FTW_PHYS);
}

bool Setup() {
  char pattern[] = "/tmp/nfs-fuzz-XXXXXX";
  base = mkdtemp(pattern);
  atexit(RemoveBase);
  mkdir((base + "/export").c_str(), 0755);
  mkdir((base + "/outside").c_str(), 0755);
  std::ofstream(base + "/outside/secret") << kSecret;
  std::ofstream(base + "/export/Readme.TXT") << "inside";
  symlink("../outside", (base + "/export/up").c_str());
  symlink((base + "/outside/secret").c_str(), (base + "/export/abs").c_str());
  setenv("PLATFORM_DRIVES", ("d=" + base).c_str(), 1);
  if (!OpenHandleTable("d:\\", 1234)) abort();
  UserEntry* user = NewUser();
  strcpy(user->username, "fuzz");
  user->uid = 500;
  user->gid = 100;
  if (!AddExport(0, "d:\\export", user, 0x1FF)) abort();
  settings.prefTransferSize = 8192;
  UseSettings(&settings);
  for (ServiceId s : {SERVICE_NFS, SERVICE_MOUNT})
    CreateEndpointRecord(s)->logCallback = Touch;
  outsideBefore = Outside();
  return true;
}

struct Pool {
  std::vector<std::string> handles;
};

const char* const kNames[] = {"a",  "B.txt", "..",         ".",      "..\\..\\outside\\x",
                              "up", "abs",   "readme.txt", "c:x",    "a/b",
                              "",   "dir",   "up\\secret", "x\x01y", "README.TXT"};

std::string Name(FuzzedDataProvider* in) {
  if (in->ConsumeBool()) return kNames[in->ConsumeIntegralInRange<size_t>(0, 14)];
  return in->ConsumeRandomLengthString(300);
}

std::string Handle(FuzzedDataProvider* in, const Pool& pool) {
  std::string handle = pool.handles[in->ConsumeIntegralInRange<size_t>(0, pool.handles.size() - 1)];
  if (in->ConsumeIntegralInRange<int>(0, 3) == 0) {
    size_t at = in->ConsumeIntegralInRange<size_t>(0, 31);
    handle[at] = (char)in->ConsumeIntegral<uint8_t>();
  }
  return handle;
}

CallBuilder NfsCall(FuzzedDataProvider* in, const Pool& pool, uint32_t xid) {
  uint32_t procedure = in->ConsumeIntegralInRange<uint32_t>(1, 17);
  CallBuilder call = CallBuilder::Call(xid, 100003, 2, procedure)
                         .AuthUnix(in->ConsumeBool() ? 500 : 0, 100)
                         .VerifierNull()
                         .Raw(Handle(in, pool));
  auto sattr = [&] {
    for (int i = 0; i < 8; i++)
      call.Word(in->ConsumeBool() ? ~0u : in->ConsumeIntegral<uint32_t>());
  };
  switch (procedure) {
    case 2:
      sattr();
      break;
    case 4:
    case 10:
    case 15:
      call.String(Name(in));
      break;
    case 6:
      call.Words({in->ConsumeIntegralInRange<uint32_t>(0, 1 << 20),
                  in->ConsumeIntegralInRange<uint32_t>(0, 9000), 0});
      break;
    case 8: {
      uint32_t offset = in->ConsumeIntegralInRange<uint32_t>(0, 1 << 20);
      call.Words({offset, offset, 0}).String(in->ConsumeRandomLengthString(2000));
      break;
    }
    case 9:
    case 14:
      call.String(Name(in));
      sattr();
      break;
    case 11:
      call.String(Name(in)).Raw(Handle(in, pool)).String(Name(in));
      break;
    case 12:
      call.Raw(Handle(in, pool)).String(Name(in));
      break;
    case 16:
      call.Words({in->ConsumeBool() ? 0 : in->ConsumeIntegral<uint32_t>(),
                  in->ConsumeIntegralInRange<uint32_t>(0, 10000)});
      break;
    default:
      break;
  }
  return call;
}

// Handles in LOOKUP, CREATE and MKDIR replies join the pool.
void Harvest(const std::vector<uint8_t>& reply, Pool* pool) {
  if (reply.size() != 24 + 104) return;
  if (reply[24] || reply[25] || reply[26] || reply[27]) return;
  pool->handles.emplace_back((const char*)reply.data() + 28, 32);
}

void Deliver(ServiceId service, const CallBuilder& call) {
  ReceiveBuffer* buffer = MakeReceiveBuffer(call.bytes().data(), call.size(), 0x7F000001, 800);
  if (!buffer) return;
  DecodeServiceCall(service, ServiceEndpoints[service], buffer);
  ServeNextRequest(service);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  FuzzedDataProvider in(data, size);
  Pool pool;
  ResetTransport();
  Deliver(SERVICE_MOUNT, CallBuilder::Call(1, 100005, 1, 1)
                             .AuthUnix(500, 100)
                             .VerifierNull()
                             .String(in.ConsumeBool() ? "/d/export" : Name(&in)));
  const std::vector<SentReply>& replies = Transport().replies;
  if (replies.size() == 1 && replies[0].bytes.size() == 24 + 36 && replies[0].bytes[27] == 0)
    pool.handles.emplace_back((const char*)replies[0].bytes.data() + 28, 32);
  if (pool.handles.empty()) pool.handles.emplace_back(32, '\xFA');
  for (uint32_t xid = 2; xid < 40 && in.remaining_bytes() > 0; xid++) {
    ResetTransport();
    Deliver(SERVICE_NFS, NfsCall(&in, pool, xid));
    for (const SentReply& reply : Transport().replies) {
      std::string bytes(reply.bytes.begin(), reply.bytes.end());
      if (bytes.find(kSecret) != std::string::npos) __builtin_trap();
      Harvest(reply.bytes, &pool);
    }
  }
  if (std::string now = Outside(); now != outsideBefore) {
    fprintf(stderr, "outside changed:\n%s\n--- was ---\n%s\n", now.c_str(), outsideBefore.c_str());
    __builtin_trap();
  }
  return 0;
}
