// libFuzzer target: the input is a listing as it arrives on a data connection.
// Every line goes through every server kind's filter (each keeping its own
// state from line to line), detection, the path mappings and the local name
// maker; results must fit their storage and local names must stay one component.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "listing/dos_names.h"
#include "listing/listing_filters.h"
#include "listing/server_type.h"
#include "listing/server_type_ops.h"
#include "listing/vms_paths.h"

namespace {

const ServerType kFilteredTypes[] = {ServerType::Vms, ServerType::MacOs, ServerType::Chameleon,
                                     ServerType::NetWare};
constexpr int kFilteredTypeCount = sizeof kFilteredTypes / sizeof kFilteredTypes[0];

void Check(bool holds) {
  if (!holds) abort();
}

bool IsOneSafeComponent(const char* name) {
  if (name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
  for (const unsigned char* p = (const unsigned char*)name; *p; p++)
    if (*p == '/' || *p == '\\' || *p == ':' || *p < 0x20 || *p == 0x7f) return false;
  return true;
}

// A result that did not fit must be empty; one that did must fit its storage.
void CheckMapped(bool mapped, const char* text, size_t size) {
  Check(strnlen(text, size) < size);
  if (!mapped) Check(text[0] == '\0');
}

// Names made from remote ones after an optional drive and leading separator.
void CheckDosPath(const char* path) {
  const char* p = path;
  if (p[0] != '\0' && p[1] == ':') p += 2;
  while (*p != '\0') {
    const char* end = strchr(p, '\\');
    std::string component(p, end ? (size_t)(end - p) : strlen(p));
    if (!component.empty()) Check(IsOneSafeComponent(component.c_str()));
    if (!end) break;
    p = end + 1;
  }
}

struct Taken {
  int remaining;  // names that exist before the first free one
};

bool TakenUntilCountRunsOut(void* context, const char* name) {
  Check(IsOneSafeComponent(name));
  Taken* taken = (Taken*)context;
  return taken->remaining-- > 0;
}

void FuzzNames(const char* line, uint8_t control, bool firstLine) {
  char mapped[kListingLineSize];
  size_t small = 1 + control % 64;
  Check(small <= sizeof mapped);
  for (size_t size : {sizeof mapped, small}) {
    CheckMapped(VmsDirectoryMapping(line, mapped, size), mapped, size);
    CheckMapped(StripVersions(line, mapped, size), mapped, size);
    bool done = DosNameMapping(line, mapped, size);
    CheckMapped(done, mapped, size);
    if (done) CheckDosPath(mapped);
  }

  // Up to 255 taken names, or every numbered one, for the first line; a few
  // for the others, which keeps long inputs quick.
  Taken taken = {control == 255 ? 1000 : control};
  if (!firstLine) taken.remaining = control % 4;
  LocalNameCheck check = {TakenUntilCountRunsOut, &taken};
  bool differs = false;
  for (size_t size : {sizeof mapped, small}) {
    for (bool unique : {false, true}) {
      if (MakeDosFileName(line, unique, &check, mapped, size, &differs)) {
        Check(strlen(mapped) < size);
        Check(IsOneSafeComponent(mapped));
        Check(differs == (strcmp(mapped, line) != 0));
      } else {
        Check(size == 0 || mapped[0] == '\0');
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the listing's clock and the names taken locally.
  struct tm now = {};
  now.tm_year = data[0] % 200;
  now.tm_mon = (data[0] >> 4) % 12;
  uint8_t control = data[1];
  std::string listing((const char*)data + 2, size - 2);

  ListingState states[kFilteredTypeCount];
  memset(states, 0x5a, sizeof states);
  for (int i = 0; i < kFilteredTypeCount; i++) {
    const ServerTypeOps* ops = GetServerTypeOps(kFilteredTypes[i]);
    if (ops->listingStart) ops->listingStart(&states[i], &now);
  }

  size_t start = 0;
  while (start <= listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    // Lines arrive with their line end, as the listing reader reports them.
    std::string line = listing.substr(start, end - start) + "\r\n";
    for (int i = 0; i < kFilteredTypeCount; i++) {
      const char* converted =
          GetServerTypeOps(kFilteredTypes[i])->listingFilter(&states[i], line.c_str());
      if (converted) {
        Check(converted == states[i].line);
        Check(strnlen(converted, kListingLineSize) < (size_t)kListingLineSize);
      }
    }
    ServerType type = ServerType::Unknown;
    const char* name = nullptr;
    if (DetectServerType(ServerType::Unknown, line.c_str(), &type, &name))
      Check(type != ServerType::Unknown && strstr(line.c_str(), name) != nullptr);
    FuzzNames(line.substr(0, line.size() - 2).c_str(), control, start == 0);
    start = end + 1;
  }
  return 0;
}
