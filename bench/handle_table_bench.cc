// Handle table at 1,000, 100,000 and 1,000,000 paths: open time and resident
// bytes per path, FindPath (cached, recorded, absent), NodeFromId, AddPath
// alone and in batches, with and without sync. Peers in the same run: a bare
// record read, an insertion's four bare writes, and its two bare synced ones.
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "nfs/handle_table.h"
#include "platform/io.h"

namespace {

long recordReads;

int CountedRead(int fd, void* buffer, unsigned count) {
  recordReads++;
  return _read(fd, buffer, count);
}

int NoSync(int) {
  return 0;
}

const TableFileOps kSyncedOps = {CountedRead, _write, _lseek, _commit};
const TableFileOps kUnsyncedOps = {CountedRead, _write, _lseek, NoSync};

double Seconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

std::string PathOf(int n) {
  char path[64];
  snprintf(path, sizeof path, "c:\\bench\\d%05d\\file%d.dat", n / 16, n);
  return path;
}

// Calls per second over at most `rounds` calls or about `budget` seconds,
// whichever ends first, so that a slow table still finishes its row.
double Rate(int rounds, double budget, const std::function<void(int)>& call) {
  double start = Seconds(), now = start;
  int done = 0;
  while (done < rounds) {
    call(done++);
    if ((done < 64 || (done & 63) == 0) && (now = Seconds()) - start > budget) break;
  }
  return done / (Seconds() - start);
}

// Peer: a positioned read of one record (56 bytes, the records' usual size
// here) at a random offset of the table's file.
double RawReadsPerSecond(const std::string& host, int rounds) {
  int fd = open(host.c_str(), O_RDONLY);
  off_t size = lseek(fd, 0, SEEK_END);
  std::mt19937 random(7);
  char buffer[56];
  double rate = Rate(rounds, 2, [&](int) {
    if (lseek(fd, 394 + random() % (size - 394), SEEK_SET) < 0 || read(fd, buffer, 56) < 0) abort();
  });
  close(fd);
  return rate;
}

// Peer: the four writes of an appended insertion done bare, without syncs:
// the record at the end, the intent, the bucket line, the intent's blanks.
double RawInsertionWritesPerSecond(const std::string& host, int rounds) {
  int fd = open(host.c_str(), O_RDWR | O_CREAT, 0644);
  char record[56] = "00000000 0038 0000  c:\\bench\\d00000\\file1.dat";
  char intent[40] = "A0000018A00000000000000000000000000000";
  char line[16] = "0000018A  0001\r";
  off_t end = 394;
  double rate = Rate(rounds, 2, [&](int) {
    if (lseek(fd, end, SEEK_SET) < 0 || write(fd, record, sizeof record) < 0) abort();
    if (lseek(fd, 32, SEEK_SET) < 0 || write(fd, intent, sizeof intent) < 0) abort();
    if (lseek(fd, 74, SEEK_SET) < 0 || write(fd, line, sizeof line) < 0) abort();
    if (lseek(fd, 32, SEEK_SET) < 0 || write(fd, intent, sizeof intent) < 0) abort();
    end += sizeof record;
  });
  close(fd);
  return rate;
}

// Peer: the two syncs of an appended insertion done bare: append a record
// and fdatasync (the file grows), then rewrite 16 bytes in place and
// fdatasync, as the bucket line is.
double RawInsertionSyncsPerSecond(const std::string& host, int rounds) {
  int fd = open(host.c_str(), O_RDWR | O_CREAT | O_APPEND, 0644);
  char record[40] = "00000000 0028 0000  c:\\bench\\file.dat";
  char line[16] = "0000018A  0001\r";
  double rate = Rate(rounds, 2, [&](int) {
    if (write(fd, record, sizeof record) < 0 || fdatasync(fd) != 0) abort();
    if (pwrite(fd, line, sizeof line, 0) < 0 || fdatasync(fd) != 0) abort();
  });
  close(fd);
  return rate;
}

long StatusKilobytes(const char* field) {
  FILE* status = fopen("/proc/self/status", "r");
  char line[256];
  long value = -1;
  size_t length = strlen(field);
  while (status && fgets(line, sizeof line, status))
    if (strncmp(line, field, length) == 0) value = atol(line + length + 1);
  if (status) fclose(status);
  return value;
}

struct OpenCost {
  double seconds;
  double residentPerPath;  // bytes the open left resident
  double peakPerPath;      // bytes at the open's peak
};

// Run in a process of its own (the bench started again with --open), so that
// nothing allocated before blurs the figures.
int OpenAndReport(int records) {
  long before = StatusKilobytes("VmRSS:");
  double start = Seconds();
  if (!OpenHandleTableWithOps("c:\\", 1, &kSyncedOps)) return 1;
  double seconds = Seconds() - start;
  printf("%f %f %f\n", seconds, (StatusKilobytes("VmRSS:") - before) * 1024.0 / records,
         (StatusKilobytes("VmHWM:") - before) * 1024.0 / records);
  return 0;
}

OpenCost MeasureOpen(int records) {
  OpenCost cost = {-1, -1, -1};
  std::string command =
      "/proc/" + std::to_string(getpid()) + "/exe --open " + std::to_string(records);
  FILE* child = popen(command.c_str(), "r");
  if (!child) return cost;
  if (fscanf(child, "%lf %lf %lf", &cost.seconds, &cost.residentPerPath, &cost.peakPerPath) != 3)
    cost = {-1, -1, -1};
  pclose(child);
  return cost;
}

struct Row {
  int records;
  OpenCost open;
  double hits, misses, absent, ids, readsPerMiss;
  double addsUnsynced, addsSynced, batchedUnsynced, batchedSynced;
};

// Adds per second in batches of 100, as a listing of a new directory makes them.
double BatchedRate(int first, int rounds, double budget) {
  return Rate(rounds, budget, [&](int i) {
    if (i % 100 == 0) BeginTableBatch();
    AddPath(PathOf(first + i).c_str());
    if (i % 100 == 99) EndTableBatch();
  });
}

Row Measure(const std::string& dir, int records) {
  Row row = {records, {}, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  remove((dir + "/nfsfile.hsh").c_str());
  OpenHandleTableWithOps("c:\\", 1, &kUnsyncedOps);
  std::vector<uint32_t> ids;
  for (int n = 0; n < records; n++) {
    PathNode* node = AddPath(PathOf(n).c_str());
    if (node) ids.push_back(FileIdOf(node));
  }
  CloseHandleTable();
  row.open = MeasureOpen(records);
  OpenHandleTableWithOps("c:\\", 1, &kSyncedOps);

  std::mt19937 random(1);
  const std::string hot = PathOf(records / 2);
  FindPath(hot.c_str());
  row.hits = Rate(1000000, 1, [&](int) { FindPath(hot.c_str()); });

  std::vector<std::string> picks, absent;
  for (int i = 0; i < 200000; i++) {
    picks.push_back(PathOf((int)(random() % records)));
    absent.push_back(PathOf(records + i));
  }
  recordReads = 0;
  int rounds = 0;
  row.misses = Rate((int)picks.size(), 2, [&](int i) {
    FindPath(picks[i].c_str());
    rounds++;
  });
  row.readsPerMiss = (double)recordReads / rounds;
  row.absent = Rate((int)absent.size(), 2, [&](int i) { FindPath(absent[i].c_str()); });
  row.ids = Rate(200000, 2, [&](int) {
    uint32_t id = ids[random() % ids.size()];
    NodeFromId((uint16_t)id, (uint16_t)(id >> 16));
  });
  CloseHandleTable();

  // At most 220,000 more paths, so that a million stays clear of the 65,536
  // serials each bucket can hand out.
  OpenHandleTableWithOps("c:\\", 1, &kUnsyncedOps);
  row.addsUnsynced = Rate(100000, 2, [&](int i) { AddPath(PathOf(10000000 + i).c_str()); });
  row.batchedUnsynced = BatchedRate(11000000, 100000, 2);
  CloseHandleTable();

  OpenHandleTableWithOps("c:\\", 1, &kSyncedOps);
  row.addsSynced = Rate(200, 2, [&](int i) { AddPath(PathOf(12000000 + i).c_str()); });
  row.batchedSynced = BatchedRate(13000000, 20000, 2);
  CloseHandleTable();
  return row;
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "--open") == 0) return OpenAndReport(atoi(argv[2]));
  char dir[] = "/tmp/tolmid-table-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("PLATFORM_DRIVES", (std::string("c=") + dir).c_str(), 1);

  std::vector<int> sizes = {1000, 100000, 1000000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; i++)
      sizes.push_back(atoi(argv[i]));
  }
  std::vector<Row> rows;
  for (int records : sizes)
    rows.push_back(Measure(dir, records));
  double reads = RawReadsPerSecond(std::string(dir) + "/nfsfile.hsh", 1000000);
  double writes = RawInsertionWritesPerSecond(std::string(dir) + "/write-peer", 200000);
  double syncs = RawInsertionSyncsPerSecond(std::string(dir) + "/sync-peer", 300);
  nftw(dir, RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);

  printf("peer: positioned 56-byte read              %10.0f /s\n", reads);
  printf("peer: an insertion's four writes, no sync  %10.0f /s\n", writes);
  printf("peer: append+sync, rewrite+sync            %10.0f /s\n\n", syncs);
  printf("%8s %8s %7s %7s %10s %10s %10s %10s %6s %8s\n", "paths", "open ms", "B/path", "peak B",
         "hit/s", "miss/s", "absent/s", "id/s", "reads", "vs reads");
  for (const Row& r : rows) {
    // Against the rate of as many raw reads as a miss makes (one at least).
    double missBound = reads / (r.readsPerMiss > 1 ? r.readsPerMiss : 1);
    printf("%8d %8.0f %7.0f %7.0f %10.0f %10.0f %10.0f %10.0f %6.1f %8.2f\n", r.records,
           r.open.seconds * 1000, r.open.residentPerPath, r.open.peakPerPath, r.hits, r.misses,
           r.absent, r.ids, r.readsPerMiss, r.misses / missBound);
  }
  printf("\n%8s %12s %9s %10s %8s %14s %12s\n", "paths", "add/s nosync", "vs writes", "add/s sync",
         "vs syncs", "batched nosync", "batched sync");
  for (const Row& r : rows) {
    printf("%8d %12.0f %9.2f %10.0f %8.2f %14.0f %12.0f\n", r.records, r.addsUnsynced,
           r.addsUnsynced / writes, r.addsSynced, r.addsSynced / syncs, r.batchedUnsynced,
           r.batchedSynced);
  }
  printf(
      "\nB/path, peak B: resident bytes per path after opening and at the open's peak;\n"
      "miss: a recorded path not in the node cache; reads: record reads per miss;\n"
      "vs reads: misses/s against that many raw record reads/s; vs writes: unsynced adds/s\n"
      "against an insertion's four bare writes; vs syncs: synced adds/s against the bare\n"
      "append+sync, rewrite+sync pair; batched: AddPath in batches of 100 (BeginTableBatch).\n");
  return 0;
}
