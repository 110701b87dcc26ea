// fMapReadsOneInSeq: sorts coded reads by how often they occur whole on the
// upper strand (nowhere, once, at many places), copies the many-place reads to
// a "Many.bin" reads file and merges the once-placed reads into clusters.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "driver/file_helpers.h"
#include "driver/outcome.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping.h"
#include "mapping/read_in_seq.h"

namespace {
const char kNoMemory[] = "\nno mem fMapReadsOneInSeq";
const char kSavingTheResult[] = "\nsaving the result";
const char kManyEnding[] = "Many.bin";
const char kOnceMark[] = "[One]";
const char kLogEnding[] = "_Log.txt";
const char kClusterEnding[] = "_Clust.txt";
const char kLogFormat[] =
    "program= fMapReadsOneInSeq\ngenome= %s\nreads= %s\ninput reads= %d\nout of genome= %d\nLoc once= "
    "%d\nLoc many= %d\nLoc many sum length=%d";
// The cluster table starts with a line feed; its first row has no gap column.
const char kClusterHeader[] = "\nclPos\tclEnd\tclLength\tgap";
const char kFirstClusterRow[] = "\n%d\t%d\t%d";
const char kClusterRow[] = "\n%d\t%d\t%d\t%d";

constexpr int32_t kKeyBases = 16;
constexpr int32_t kMaxEntries = 0x7FFFFFFF;

// A read placed exactly once: its first base's position and its length. After
// clustering the front entries hold clusters: start and exclusive end.
struct SingleLocation {
  int32_t position;
  int32_t length;
};

struct SingleLocationTable {
  SingleLocation* entries;
  int32_t capacity;
};

// Room for one more entry at index IntoGenome. Identical reads placed once each
// take an entry, so the table may outgrow its L + 1 entries.
bool fMakeRoom(SingleLocationTable& table) {
  if (IntoGenome < table.capacity) return true;
  if (table.capacity == kMaxEntries) return false;
  int64_t wanted = static_cast<int64_t>(table.capacity) * 2;
  int32_t capacity = wanted > kMaxEntries ? kMaxEntries : static_cast<int32_t>(wanted);
  void* grown = std::realloc(table.entries, static_cast<size_t>(capacity) * sizeof(SingleLocation));
  if (grown == nullptr) return false;
  table.entries = static_cast<SingleLocation*>(grown);
  table.capacity = capacity;
  return true;
}

// The per-read step for the read of length n in InputLine: counts it as out of
// genome, placed once (its entry stored at index IntoGenome) or placed many
// times (copied to `many`). False only when the table could not grow.
bool fLocateReadOnce(int32_t n, FILE* many, SingleLocationTable& table, int32_t L) {
  const unsigned char* c = reinterpret_cast<const unsigned char*>(InputLine);
  if (n < kKeyBases) {
    ++OutOfGenome;
    return true;
  }
  uint32_t key;
  const bool isCoded = fReadKey(c, kKeyBases, key);
  bool found = false;
  // A byte that is no base code matches nowhere.
  for (int32_t p = isCoded ? Root16[key] : 0; p > 0; p = Chain16[p]) {
    if (n > kKeyBases && !fRestOfReadMatches(c, n, p, L)) continue;
    if (found) {
      // A second place: the stored entry is left to be overwritten.
      std::fwrite(c, 1, static_cast<size_t>(n), many);
      std::fputc(10, many);
      SumLength = static_cast<int32_t>(static_cast<uint32_t>(SumLength) + static_cast<uint32_t>(n));
      ++UpperStrandReads;
      return true;
    }
    if (!fMakeRoom(table)) return false;
    table.entries[IntoGenome] = SingleLocation{p, n};
    found = true;
  }
  if (found)
    ++IntoGenome;
  else
    ++OutOfGenome;
  return true;
}

// Merges the sorted entries into clusters of overlapping reads, written over
// the front of the table; returns their number. Reads that only touch stay apart.
int32_t fBuildClusters(SingleLocation* entries, int32_t count) {
  if (count == 0) return 0;
  int32_t clusters = 0;
  int32_t start = entries[0].position;
  int64_t end = static_cast<int64_t>(entries[0].position) + entries[0].length;
  for (int32_t i = 1; i < count; ++i) {
    int64_t readEnd = static_cast<int64_t>(entries[i].position) + entries[i].length;
    if (entries[i].position < end) {
      if (readEnd > end) end = readEnd;
    } else {
      entries[clusters++] = SingleLocation{start, static_cast<int32_t>(end)};
      start = entries[i].position;
      end = readEnd;
    }
  }
  entries[clusters++] = SingleLocation{start, static_cast<int32_t>(end)};
  return clusters;
}

void fWriteClusters(FILE* file, const SingleLocation* clusters, int32_t count) {
  std::fputs(kClusterHeader, file);
  for (int32_t k = 0; k < count; ++k) {
    int32_t start = clusters[k].position;
    int32_t end = clusters[k].length;
    if (k == 0)
      std::fprintf(file, kFirstClusterRow, start, end - 1, end - start);
    else
      std::fprintf(file, kClusterRow, start, end - 1, end - start, start - (clusters[k - 1].length - 1));
  }
}
}  // namespace

namespace {
void fRunLegacy(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                       int32_t GenomeLength) {
  const int32_t L = GenomeLength;
  if (!fBuild16Chain(L)) {
    fRelease16Chain();
    return;
  }
  SingleLocationTable table{nullptr, 0};
  if (L < kMaxEntries) {
    table.capacity = L + 1;
    table.entries = static_cast<SingleLocation*>(std::malloc(static_cast<size_t>(table.capacity) * sizeof(SingleLocation)));
  }
  if (table.entries == nullptr) {
    std::fputs(kNoMemory, stdout);
    fRelease16Chain();
    return;
  }
  std::ifstream reads;
  FILE* many = nullptr;
  if (fOpenReadStream(ReadsPath, reads)) many = fOpenFile(fStripExtension(ReadsPath) + kManyEnding, "wb");
  if (many == nullptr) {
    std::free(table.entries);
    fRelease16Chain();
    return;
  }

  InputReads = 0;
  OutOfGenome = 0;
  IntoGenome = 0;
  UpperStrandReads = 0;
  SumLength = 0;
  bool tableHeld = true;
  int32_t n = 0;
  // Per-read loop, the hot path: no allocation (the table only grows when
  // full), no formatting, no virtual calls.
  while (tableHeld && fNextRead(reads, false, n)) tableHeld = fLocateReadOnce(n, many, table, L);
  reads.close();
  std::fclose(many);
  if (!tableHeld) {
    std::fputs(kNoMemory, stdout);
    std::free(table.entries);
    fRelease16Chain();
    return;
  }

  std::sort(table.entries, table.entries + IntoGenome,
            [](const SingleLocation& a, const SingleLocation& b) { return a.position < b.position; });
  int32_t clusters = fBuildClusters(table.entries, IntoGenome);
  std::fputs(kSavingTheResult, stdout);

  const std::string resultStem = ResultDirectory + fFileStem(ReadsPath) + kOnceMark + fFileStem(GenomePath);
  if (FILE* log = fOpenFile(resultStem + kLogEnding, "wb")) {
    std::fprintf(log, kLogFormat, GenomePath.c_str(), ReadsPath.c_str(), InputReads, OutOfGenome, IntoGenome,
                 UpperStrandReads, SumLength);
    std::fclose(log);
  }
  if (FILE* clusterFile = fOpenFile(resultStem + kClusterEnding, "wb")) {
    fWriteClusters(clusterFile, table.entries, clusters);
    std::fclose(clusterFile);
  }
  std::free(table.entries);
  fRelease16Chain();
}
}  // namespace

Outcome fMapReadsOneInSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                       int32_t GenomeLength) {
  fRunLegacy(ResultDirectory, ReadsPath, GenomePath, GenomeLength);
  Outcome outcome;
  outcome.readsRead = InputReads;
  return outcome;
}
