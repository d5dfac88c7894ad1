// Handle table throughput for tables of 1,000, 10,000 and 100,000 records:
// FindPath hits (cached) and misses (a walk of the bucket's on-disk chain),
// and AddPath with and without the sync. Peers measured in the same run: one
// positioned read of a record, since a miss costs about half a chain of them,
// and the two bare synced writes that a durable insertion cannot do without.
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

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

// Peer: a 1048-byte pread at a random record offset of the table's file.
double RawReadsPerSecond(const std::string& host, int rounds) {
  int fd = open(host.c_str(), O_RDONLY);
  off_t size = lseek(fd, 0, SEEK_END);
  std::mt19937 random(7);
  char buffer[1048];
  double start = Seconds();
  for (int i = 0; i < rounds; i++)
    if (pread(fd, buffer, sizeof buffer, 394 + random() % (size - 394)) < 0) break;
  double rate = rounds / (Seconds() - start);
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
  double start = Seconds();
  for (int i = 0; i < rounds; i++) {
    if (write(fd, record, sizeof record) < 0 || fdatasync(fd) != 0) break;
    if (pwrite(fd, line, sizeof line, 0) < 0 || fdatasync(fd) != 0) break;
  }
  double rate = rounds / (Seconds() - start);
  close(fd);
  return rate;
}

struct Row {
  int records;
  double hits, misses, absent, readsPerMiss, addsUnsynced, addsSynced;
};

Row Measure(const std::string& dir, int records) {
  Row row = {records, 0, 0, 0, 0, 0, 0};
  remove((dir + "/nfsfile.hsh").c_str());
  OpenHandleTableWithOps("c:\\", 1, &kUnsyncedOps);
  for (int n = 0; n < records; n++)
    AddPath(PathOf(n).c_str());
  CloseHandleTable();
  OpenHandleTableWithOps("c:\\", 1, &kSyncedOps);

  std::mt19937 random(1);
  const std::string hot = PathOf(records / 2);
  FindPath(hot.c_str());
  int rounds = 1000000;
  double start = Seconds();
  for (int i = 0; i < rounds; i++)
    FindPath(hot.c_str());
  row.hits = rounds / (Seconds() - start);

  rounds = records >= 100000 ? 400 : 4000;
  std::vector<std::string> picks;
  for (int i = 0; i < rounds; i++)
    picks.push_back(PathOf((int)(random() % records)));
  recordReads = 0;
  start = Seconds();
  for (const std::string& path : picks)
    FindPath(path.c_str());
  row.misses = rounds / (Seconds() - start);
  row.readsPerMiss = (double)recordReads / rounds;

  start = Seconds();
  for (int i = 0; i < rounds; i++)
    FindPath(PathOf(records + i).c_str());
  row.absent = rounds / (Seconds() - start);
  CloseHandleTable();

  rounds = 5000;
  OpenHandleTableWithOps("c:\\", 1, &kUnsyncedOps);
  start = Seconds();
  for (int i = 0; i < rounds; i++)
    AddPath(PathOf(2 * records + i).c_str());
  row.addsUnsynced = rounds / (Seconds() - start);
  CloseHandleTable();

  rounds = 200;
  OpenHandleTableWithOps("c:\\", 1, &kSyncedOps);
  start = Seconds();
  for (int i = 0; i < rounds; i++)
    AddPath(PathOf(3 * records + i).c_str());
  row.addsSynced = rounds / (Seconds() - start);
  CloseHandleTable();
  return row;
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

}  // namespace

int main() {
  char dir[] = "/tmp/tolmid-table-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  setenv("PLATFORM_DRIVES", (std::string("c=") + dir).c_str(), 1);

  std::vector<Row> rows;
  for (int records : {1000, 10000, 100000})
    rows.push_back(Measure(dir, records));
  double reads = RawReadsPerSecond(std::string(dir) + "/nfsfile.hsh", 200000);
  double syncs = RawInsertionSyncsPerSecond(std::string(dir) + "/sync-peer", 300);
  nftw(dir, RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);

  printf("peer: positioned 1048-byte read   %10.0f /s\n", reads);
  printf("peer: append+sync, rewrite+sync   %10.0f /s\n\n", syncs);
  printf("%8s %12s %12s %12s %9s %9s %12s %11s %9s\n", "records", "hit/s", "miss/s", "absent/s",
         "reads", "vs reads", "add/s nosync", "add/s sync", "vs syncs");
  for (const Row& r : rows) {
    // A miss costs readsPerMiss record reads; against that many raw reads.
    double missBound = reads / r.readsPerMiss;
    printf("%8d %12.0f %12.0f %12.0f %9.1f %9.2f %12.0f %11.0f %9.2f\n", r.records, r.hits,
           r.misses, r.absent, r.readsPerMiss, r.misses / missBound, r.addsUnsynced, r.addsSynced,
           r.addsSynced / syncs);
  }
  printf(
      "\nreads: record reads per miss (half a chain of records/20 on average);\n"
      "vs reads: misses/s against that many raw reads/s; vs syncs: synced adds/s against\n"
      "the bare append+sync, rewrite+sync pair that a durable insertion needs.\n");
  return 0;
}
