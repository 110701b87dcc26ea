// Rating of genome positions across a list of read files: for every position
// where a parted segment starts, the number of files with at least one such read.
#include <cstdio>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "driver/console.h"
#include "driver/file_helpers.h"
#include "driver/loaders.h"
#include "driver/memory.h"
#include "driver/outcome.h"
#include "driver/read_batches.h"
#include "driver/run_state.h"
#include "parted/parted.h"
#include "parted/parted_hit.h"
#include "parted/parted_run.h"

namespace {
const char kSearching[] = "\nseaching parted reads";
const char kFileIndex[] = "\n%u";
const char kLogEnding[] = "_RatingLog.txt";
const char kLogProgram[] = "program= fMatchReadsT_VarSzParted1Rate\ndir of reads= ";
const char kLogGenome[] = "\ngenome= ";
const char kLogColumns[] = "\n\npos\trating";
const char kLogRow[] = "\n%d\t%u";

// Rating of genome positions by the number of read files that show a parted
// segment starting there; a file raises a position at most once.
struct PositionRating {
  uint32_t rating;
  uint32_t lastFile;  // index of the last file counted here, 0 = none yet
};

// Raises the segment start for file `fileIndex`, which raises a position at
// most once. With several threads rating one file, the one that moves
// lastFile on raises the rating.
template <bool kShared>
inline void fRaise(PositionRating& at, uint32_t fileIndex) {
  if (!kShared) {
    if (at.lastFile < fileIndex) {
      ++at.rating;
      at.lastFile = fileIndex;
    }
    return;
  }
  uint32_t last = __atomic_load_n(&at.lastFile, __ATOMIC_RELAXED);
  while (last < fileIndex) {
    if (__atomic_compare_exchange_n(&at.lastFile, &last, fileIndex, false, __ATOMIC_RELAXED, __ATOMIC_RELAXED)) {
      __atomic_fetch_add(&at.rating, 1u, __ATOMIC_RELAXED);
      return;
    }
  }
}

// The reads of one open file, in batches matched on RunThreads threads (the
// calling thread alone for one): every segment start a read gives is raised.
template <bool kShared>
void fRateBatches(std::istream& reads, PositionRating* ratings, uint32_t fileIndex, int32_t genomeLength) {
  auto match = [=](ReadBatch& batch, uint32_t first, uint32_t end, int, int) {
    unsigned char complement[kLineBufferSize];
    auto rate = [&](int32_t p, int32_t t, int32_t) {
      // A segment that starts before position 1 wraps over the genome's end.
      int32_t q = p - t;
      while (q < 1) q += genomeLength;
      fRaise<kShared>(ratings[q], fileIndex);
    };
    fWalkShare(batch, first, end, HeadSeedsAhead(), [&](const HeldRead<HeadSeedsAhead::Seeds>& read, uint32_t) {
      const int32_t length = read.length;
      if (length < MinReadSize || length > MaxReadSize || length < kShortestPartedRead) return;
      fSearchHeadSeedBothStrands(read.bases, complement, length, read.seeds, rate, rate);
    });
  };
  fRunReadBatches(reads, false, RunThreads, match, [](ReadBatch&) { return true; });
}

// Rates every read of one file. False if the file can't be opened.
bool fRateReadsFile(const std::string& path, PositionRating* ratings, uint32_t fileIndex, int32_t n,
                    Outcome& outcome) {
  std::ifstream reads;
  if (!fOpenReads(path, reads, outcome)) return false;
  InputReads = 0;
  fSay(kSearching);
  // Hot loop, in the batches: no allocation, no formatting.
  if (RunThreads > 1)
    fRateBatches<true>(reads, ratings, fileIndex, n);
  else
    fRateBatches<false>(reads, ratings, fileIndex, n);
  return true;
}

// Rates the reads of every file the list names. False at the first file that
// can't be opened; `readsRead` counts the lines taken from all of them.
bool fRateListedFiles(const std::string& RateReadsArg, std::ifstream& list, PositionRating* ratings, int32_t n,
                      int64_t& readsRead, Outcome& outcome) {
  fStage(Stage::kReads);
  std::vector<char> name(static_cast<size_t>(MaxLineLength));
  uint32_t fileIndex = 0;
  int32_t taken = 0;
  while (fGetLine(list, name.data(), MaxLineLength, taken)) {
    ++fileIndex;
    fSayf(kFileIndex, fileIndex);
    std::string line(name.data());
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool rated = fRateReadsFile(RateReadsArg + line, ratings, fileIndex, n, outcome);
    readsRead += rated ? InputReads : 0;
    if (!rated) return false;
  }
  return true;
}

void fRun(const std::string& ResultDirectory, const std::string& RateReadsArg, const std::string& GenomePath,
          const std::string& RateExtraArg, int64_t& readsRead, Outcome& outcome) {
  int32_t n = 0;
  if (!fLoadIndexedGenome(GenomePath, false, n, outcome)) return;
  Block<PositionRating> ratings;
  if (!ratings.fAllocate(static_cast<size_t>(n) + 1)) {
    fRanOutOfMemory(outcome);
    return;
  }
  std::ifstream list;
  if (!fOpenReads(RateExtraArg, list, outcome)) return;
  if (!fRateListedFiles(RateReadsArg, list, ratings.data(), n, readsRead, outcome)) return;
  list.close();

  fStage(Stage::kWriting);
  const std::string logPath = ResultDirectory + kLogEnding;
  FILE* log = fOpenOutput(logPath, outcome);
  if (log == nullptr) return;
  std::fputs(kLogProgram, log);
  std::fputs(fShownPath(RateReadsArg).c_str(), log);
  std::fputs(kLogGenome, log);
  std::fputs(fShownPath(GenomePath).c_str(), log);
  std::fputs(kLogColumns, log);
  int32_t rated = 0;
  for (int32_t q = 1; q <= n; ++q) {
    if (ratings[q].rating == 0) continue;
    std::fprintf(log, kLogRow, q, ratings[q].rating);
    ++rated;
  }
  fCloseOutput(log, logPath, outcome);
  outcome.fCount("rated_positions", rated);
}
}  // namespace

Outcome fMatchReadsT_VarSzPartedRate(std::string ResultDirectory, std::string RateReadsArg, std::string GenomePath,
                                     int32_t /*GenomeLength: the genome is loaded here*/, std::string RateExtraArg) {
  Outcome outcome;
  int64_t readsRead = 0;
  try {
    fRun(ResultDirectory, RateReadsArg, GenomePath, RateExtraArg, readsRead, outcome);
  } catch (const std::bad_alloc&) {
    fRanOutOfMemory(outcome);
  }
  fReleaseIndexedGenome();
  outcome.readsRead = readsRead;
  return outcome;
}
