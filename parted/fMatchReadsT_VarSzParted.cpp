// Parted reads: reads whose first part matches the genome at some position and
// whose last part lies immediately before it, on either strand. Writes a log
// and the table of the genome segments found, grouped by position.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/outcome.h"
#include "driver/read_ahead.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "parted/index12.h"
#include "parted/parted.h"
#include "parted/parted_hit.h"
#include "parted/parted_notes.h"
#include "parted/parted_run.h"

namespace {
const char kSearching[] = "\nseaching parted reads";
const char kSavingLog[] = "\nsavig log-file";
const char kSorting[] = "\nsorting...";
const char kSaving[] = "\nsaving...";
const char kLogEnding[] = "_PartedLog.txt";
const char kTableEnding[] = "_Parted.txt";
const char kLogFormat[] =
    "program= Vantrels::fMatchReadsT_VarSzParted1\ngenome= %s\nreads= %s\nuser reads size scope=[%d,%d]"
    "\ninput reads= %d\nprocessed= %d\nreads on upper strand= %d\nreads on lower strand= %d";
const char kUpperHeader[] = "upper strand\t%d";
const char kLowerHeader[] = "\n\nlower strand\t%d";
const char kFirstAtPos[] = "\n%d\n";
const char kNextAtPos[] = "\n";

// Room for the hits that the default stop rule lets in; the lists grow past it
// only for a read with many places or when every read is read.
constexpr size_t kInitialHitRoom = 10000;

// The console counter of lines read, kept as decimal text and advanced in
// place: one buffered write per read, no formatting.
struct LineCounter {
  char text[16] = {'0', '\n', '\0'};
  int32_t digits = 1;

  void fAdvance() {
    int32_t i = digits - 1;
    while (i >= 0 && text[i] == '9') text[i--] = '0';
    if (i >= 0) {
      ++text[i];
      return;
    }
    std::memmove(text + 1, text, static_cast<size_t>(digits) + 2);
    text[0] = '1';
    ++digits;
  }
};

// A hit found by a worker: its read (index in the batch) and strand.
struct FoundHit {
  uint32_t read;
  bool lower;
  PartedHit hit;
};

// Every read of the file through the search, until its end or the stop rule,
// on RunThreads threads: the reads of a batch are searched, then their hits
// are added, noted and counted against the stop rule in file order; what was
// taken past the stopping read is dropped. Returns the number of reads within
// the size scope.
int32_t fSearchReads(std::ifstream& reads, PartedHitList& upperHits, PartedHitList& lowerHits,
                              Outcome& outcome) {
  fStage(Stage::kReads);
  InputReads = 0;
  int32_t processed = 0;
  fSay(kSearching);
  LineCounter counter;
  ShareRecords<FoundHit> found(RunThreads);
  auto match = [&found](ReadBatch& batch, uint32_t first, uint32_t end, int share, int) {
    std::vector<FoundHit>& hits = found.fOf(batch, share);
    hits.clear();
    unsigned char complement[kLineBufferSize];
    fWalkShare(batch, first, end, HeadSeedsAhead(), [&](const HeldRead<HeadSeedsAhead::Seeds>& read, uint32_t i) {
      const int32_t length = read.length;
      if (length < MinReadSize || length > MaxReadSize || length < kShortestPartedRead) return;
      const int16_t size = static_cast<int16_t>(length);
      auto on = [&](bool lower) {
        return [&, lower](int32_t p, int32_t t, int32_t k) {
          hits.push_back({i, lower, {p - t, size, static_cast<int16_t>(t), static_cast<int16_t>(k)}});
        };
      };
      fSearchHeadSeedBothStrands(read.bases, complement, length, read.seeds, on(false), on(true));
    });
  };
  auto emit = [&](ReadBatch& batch) {
    ShareRecords<FoundHit>::Cursor cursor(found, batch);
    for (uint32_t i = 0; i < batch.count; ++i) {
      counter.fAdvance();
      fSay(counter.text);
      const int32_t length = batch.lengths[i];
      if (length < MinReadSize || length > MaxReadSize) continue;
      ++processed;
      const uint32_t number = static_cast<uint32_t>(batch.numbers[i]);
      cursor.fTake(i, [&](const FoundHit& one) {
        PartedHitList& hits = one.lower ? lowerHits : upperHits;
        hits.push_back(one.hit);
        fNotePartedHit(hits.back(), number, one.lower ? kLowerPartedNote : kUpperPartedNote, kHeadSeedNote);
      });
      if (fAboveHitLimit(static_cast<int64_t>(upperHits.size()))) {
        fStopAtHitLimit(batch.numbers[i], outcome);
        return false;
      }
    }
    return true;
  };
  fRunReadBatches(reads, false, RunThreads, match, emit);
  return processed;
}

void fWriteStrand(FILE* table, const char* header, const PartedHitList& hits) {
  std::fprintf(table, header, static_cast<int32_t>(hits.size()));
  for (size_t i = 0; i < hits.size(); ++i) {
    if (i == 0 || hits[i].pos != hits[i - 1].pos)
      std::fprintf(table, kFirstAtPos, hits[i].pos);
    else
      std::fputs(kNextAtPos, table);
    fWriteSegmentText(table, hits[i]);
  }
}

void fRun(const std::string& ResultDirectory, const std::string& ReadsPath, const std::string& GenomePath,
          Outcome& outcome) {
  int32_t n = 0;
  if (!fLoadIndexedGenome(GenomePath, false, n, outcome)) return;
  PartedHitList upperHits, lowerHits;
  upperHits.reserve(kInitialHitRoom);
  lowerHits.reserve(kInitialHitRoom);
  std::ifstream reads;
  if (!fOpenReads(ReadsPath, reads, outcome)) return;
  const int32_t processed = fSearchReads(reads, upperHits, lowerHits, outcome);
  reads.close();
  // Counts past 32 bits (every read read, billions of hits) can't be told in the log.
  if (upperHits.size() > INT32_MAX || lowerHits.size() > INT32_MAX) {
    fRanOutOfMemory(outcome);
    return;
  }
  const int32_t upperCount = static_cast<int32_t>(upperHits.size());
  const int32_t lowerCount = static_cast<int32_t>(lowerHits.size());
  outcome.fCount("input_reads", InputReads);
  outcome.fCount("processed", processed);
  outcome.fCount("reads_on_upper_strand", upperCount);
  outcome.fCount("reads_on_lower_strand", lowerCount);

  fStage(Stage::kWriting);
  fSay(kSavingLog);
  const std::string base = fScopedName(ResultDirectory + fFileStem(ReadsPath), MinReadSize, MaxReadSize,
                                       fFileStem(GenomePath));
  const std::string logPath = base + kLogEnding;
  if (FILE* log = fOpenOutput(logPath, outcome)) {
    std::fprintf(log, kLogFormat, fShownPath(GenomePath).c_str(), fShownPath(ReadsPath).c_str(), MinReadSize,
                 MaxReadSize, InputReads, processed, upperCount, lowerCount);
    fCloseOutput(log, logPath, outcome);
  }

  fStage(Stage::kSorting);
  fSay(kSorting);
  fRelease12RootChain();
  fSortHitsByPos(upperHits);
  fSortHitsByPos(lowerHits);

  fStage(Stage::kWriting);
  fSay(kSaving);
  const std::string tablePath = base + kTableEnding;
  if (FILE* table = fOpenOutput(tablePath, outcome)) {
    fWriteStrand(table, kUpperHeader, upperHits);
    fWriteStrand(table, kLowerHeader, lowerHits);
    fCloseOutput(table, tablePath, outcome);
  }
}
}  // namespace

Outcome fMatchReadsT_VarSzParted(std::string ResultDirectory, std::string ReadsPath, std::string GenomePath,
                                 int32_t /*GenomeLength: the genome is loaded here*/) {
  Outcome outcome;
  InputReads = 0;
  try {
    fRun(ResultDirectory, ReadsPath, GenomePath, outcome);
  } catch (const std::bad_alloc&) {
    fRanOutOfMemory(outcome);
  }
  fReleaseIndexedGenome();
  outcome.readsRead = InputReads;
  return outcome;
}
