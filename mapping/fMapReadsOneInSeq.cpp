// fMapReadsOneInSeq: sorts coded reads by how often they occur whole on the
// upper strand (nowhere, once, at many places), copies the many-place reads to
// a "Many.bin" reads file and merges the once-placed reads into clusters.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/outcome.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "index/index16.h"
#include "mapping/mapping.h"
#include "mapping/mapping_notes.h"
#include "mapping/read_in_seq.h"
#include "mapping/run_steps.h"

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

// IntoGenome counts the once-placed reads in 32 bits.
constexpr size_t kMaxEntries = 0x7FFFFFFF;

// A read placed exactly once: its first base's position and its length. After
// clustering the front entries hold clusters: start and exclusive end.
struct SingleLocation {
  int32_t position;
  int32_t length;
};

// What a run holds until its end.
struct Held {
  // Identical reads placed once each take an entry each, so the list may
  // outgrow the L + 1 entries it starts with.
  std::vector<SingleLocation> once;
  std::ifstream reads;
  ResultFile many;
  ResultFile log;
  ResultFile clusters;
};

bool fAddOnce(std::vector<SingleLocation>& once, SingleLocation entry) {
  if (once.size() >= kMaxEntries) return false;
  try {
    once.push_back(entry);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// How often a read occurs whole on the upper strand.
enum : unsigned char { kNowhere = 0, kOnce = 1, kMany = 2 };

// Where the coded read c[0 .. length-1] occurs on the upper strand: kNowhere,
// kOnce with its position in `place`, or kMany.
unsigned char fPlaceRead(const unsigned char* c, int32_t length, int32_t L, int32_t& place) {
  place = 0;
  if (length < kKey16Bases) return kNowhere;
  uint32_t key;
  // A byte that is no base code matches nowhere.
  if (!fReadKey(c, kKey16Bases, key)) return kNowhere;
  for (int32_t p = Root16[key]; p > 0; p = Chain16[p]) {
    if (length > kKey16Bases && !fRestOfReadMatches(c, length, p, L)) continue;
    if (place > 0) return kMany;
    place = p;
  }
  return place > 0 ? kOnce : kNowhere;
}

// Counts the read numbered `readNumber` as out of genome, placed once (its
// entry added to `once`) or placed many times (copied to `many`). False only
// when the list could not grow.
bool fCountPlacement(unsigned char kind, const unsigned char* c, int32_t length, int32_t place, uint32_t readNumber,
                     FILE* many, std::vector<SingleLocation>& once) {
  if (kind == kNowhere) {
    ++OutOfGenome;
    return true;
  }
  if (kind == kMany) {
    std::fwrite(c, 1, static_cast<size_t>(length), many);
    std::fputc(10, many);
    SumLength = static_cast<int32_t>(static_cast<uint32_t>(SumLength) + static_cast<uint32_t>(length));
    ++UpperStrandReads;
    fNoteRead(PlacementNote{readNumber, 0, length, kPlacedMany});
    return true;
  }
  if (!fAddOnce(once, SingleLocation{place, length})) return false;
  ++IntoGenome;
  fNoteRead(PlacementNote{readNumber, place, length, kPlacedOnce});
  return true;
}

// The read pass (on RunThreads threads): the reads of a batch are placed,
// then counted in file order; the list only grows when full. False only when
// it could not grow.
bool fLocateInBatches(std::istream& reads, FILE* many, std::vector<SingleLocation>& once, int32_t L) {
  bool listHeld = true;
  auto match = [L](ReadBatch& batch, uint32_t first, uint32_t end, int, int) {
    fWalkShare(batch, first, end, Seeds16Ahead<fWholeReadKeys<false>>(), [&](const HeldRead<Keys16>& read, uint32_t i) {
      batch.results[i] = fPlaceRead(read.bases, read.length, L, batch.values[i]);
    });
  };
  auto emit = [&](ReadBatch& batch) {
    for (uint32_t i = 0; i < batch.count && listHeld; ++i)
      listHeld = fCountPlacement(batch.results[i], batch.fRead(i), batch.lengths[i], batch.values[i],
                                 static_cast<uint32_t>(batch.numbers[i]), many, once);
    return listHeld;
  };
  fRunReadBatches(reads, false, RunThreads, match, emit);
  return listHeld;
}

// Merges the sorted entries into clusters of overlapping reads, written over
// the front of the list; returns their number. Reads that only touch stay apart.
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

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          int32_t L, Held& held, Outcome& outcome) {
  if (!fIndexGenome(L, false, outcome)) return;
  bool listHeld = L >= 0 && static_cast<size_t>(L) < kMaxEntries;
  if (listHeld) {
    try {
      held.once.reserve(static_cast<size_t>(L) + 1);
    } catch (const std::bad_alloc&) {
      listHeld = false;
    }
  }
  if (!listHeld) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  if (!fOpenReads(ReadsPath, held.reads, outcome)) return;
  if (!held.many.fOpen(fStripExtension(ReadsPath) + kManyEnding, outcome)) return;

  fStage(Stage::kReads);
  try {
    listHeld = fLocateInBatches(held.reads, held.many.file, held.once, L);
  } catch (const std::bad_alloc&) {
    listHeld = false;
  }
  held.reads.close();
  held.many.fClose(outcome);
  if (!listHeld) {
    fSay(kNoMemory);
    outcome.fFail(RunStatus::kNoMemory, "");
    return;
  }
  outcome.fCount("input_reads", InputReads);
  outcome.fCount("out_of_genome", OutOfGenome);
  outcome.fCount("loc_once", IntoGenome);
  outcome.fCount("loc_many", UpperStrandReads);
  outcome.fCount("loc_many_sum_length", SumLength);

  fStage(Stage::kSorting);
  std::sort(held.once.begin(), held.once.end(),
            [](const SingleLocation& a, const SingleLocation& b) { return a.position < b.position; });
  const int32_t clusters = fBuildClusters(held.once.data(), IntoGenome);
  fSay(kSavingTheResult);

  // A result that can't be created has been reported; the other is still written.
  fStage(Stage::kWriting);
  const std::string resultStem = ResultDirectory + fFileStem(ReadsPath) + kOnceMark + fFileStem(GenomePath);
  if (held.log.fOpen(resultStem + kLogEnding, outcome))
    std::fprintf(held.log.file, kLogFormat, fShownPath(GenomePath).c_str(), fShownPath(ReadsPath).c_str(),
                 InputReads, OutOfGenome, IntoGenome, UpperStrandReads, SumLength);
  if (held.clusters.fOpen(resultStem + kClusterEnding, outcome))
    fWriteClusters(held.clusters.file, held.once.data(), clusters);
}
}  // namespace

Outcome fMapReadsOneInSeq(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                          int32_t GenomeLength) {
  Outcome outcome;
  Held held;
  InputReads = OutOfGenome = IntoGenome = UpperStrandReads = SumLength = 0;
  fRun(ResultDirectory, ReadsPath, GenomePath, GenomeLength, held, outcome);
  held.many.fClose(outcome);
  held.log.fClose(outcome);
  held.clusters.fClose(outcome);
  fRelease16Chain();
  outcome.readsRead = InputReads;
  return outcome;
}
